// SPDX-License-Identifier: MIT
// Shared libraries are looked up only where the tool itself is installed: the
// port-I/O library runs with the privileges that port access needs, so a copy
// planted in the current directory or on LD_LIBRARY_PATH must never be picked up.
#include "platform/module.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

// Directories relative to the executable's own, in order of preference.
constexpr const char* search_directories[] = {
    "",               // beside the executable (build tree, portable install)
    "/../lib/vexload" // bin/vexload with lib/vexload/ (installed)
};

// The executable's directory, without a trailing slash; false when unknown.
bool executable_directory(char (&directory)[PATH_MAX])
{
    const ssize_t length = readlink("/proc/self/exe", directory, sizeof directory - 1);
    if (length <= 0)
        return false;
    directory[length] = '\0';
    char* const last_slash = std::strrchr(directory, '/');
    if (last_slash == nullptr)
        return false;
    *last_slash = '\0';
    return true;
}

} // namespace

module_handle module_load(const char* file_name)
{
    // A bare file name only: a path would escape the directories above.
    if (file_name == nullptr || file_name[0] == '\0' || std::strchr(file_name, '/') != nullptr)
        return nullptr;

    char directory[PATH_MAX];
    if (!executable_directory(directory))
        return nullptr;

    for (const char* relative : search_directories) {
        char path[PATH_MAX];
        const int length = std::snprintf(path, sizeof path, "%s%s/%s", directory, relative, file_name);
        if (length < 0 || static_cast<size_t>(length) >= sizeof path)
            continue;
        // An absolute path: dlopen does no search of its own.
        if (module_handle module = dlopen(path, RTLD_NOW | RTLD_LOCAL))
            return module;
    }
    return nullptr;
}

void* module_symbol(module_handle module, const char* name)
{
    return dlsym(module, name);
}

void module_free(module_handle module)
{
    dlclose(module);
}

void message_box(const char* text)
{
    // No window system on the console: the message is one line on standard error.
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
}
