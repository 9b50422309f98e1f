// SPDX-License-Identifier: MIT
#include "platform/module.h"

#include <windows.h>

#include <cstring>

namespace {

// The folder of the running program with file_name appended, or "" when it
// does not fit.
void beside_program(const char* file_name, char (&path)[MAX_PATH])
{
    path[0] = '\0';
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        path[0] = '\0';
        return;
    }
    char* slash = std::strrchr(path, '\\');
    if (slash == nullptr || std::strlen(file_name) + 1 + static_cast<size_t>(slash - path) >= MAX_PATH) {
        path[0] = '\0';
        return;
    }
    std::strcpy(slash + 1, file_name);
}

} // namespace

module_handle module_load(const char* file_name)
{
    // A bare file name only: a path would escape the folders below.
    if (file_name == nullptr || file_name[0] == '\0' || std::strpbrk(file_name, "\\/:") != nullptr)
        return nullptr;
    // The program's own folder and the system folder only: a library of the
    // same name in the current directory must never be picked up.
    HMODULE module = LoadLibraryExA(file_name, nullptr,
                                    LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
        // A Windows without the restricted search flags: name the file
        // beside the program by its full path instead.
        char path[MAX_PATH];
        beside_program(file_name, path);
        if (path[0] != '\0')
            module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return module;
}

void* module_symbol(module_handle module, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void module_free(module_handle module)
{
    FreeLibrary(static_cast<HMODULE>(module));
}

void message_box(const char* text)
{
    MessageBoxA(nullptr, text, "vexload", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}
