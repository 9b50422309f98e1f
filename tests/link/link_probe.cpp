// SPDX-License-Identifier: MIT
// A small program of the link, run from a directory of its own beside a test
// build of WinIo.dll: loads the library when told to, drives the hardware port
// (which loads it at its first access, as in vexload), and tells at its very
// end whether the library was released and how often.
//   link_probe [load | unload | write HEX | read | fatal | chdir DIR]...
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/debug_exchange.h"
#include "link/port.h"
#include "platform/port_io_library.h"

namespace {

void* loaded_handle = nullptr;
char loaded_path[4096] = "";
int release_count = 0;

// Constructed before port_io, so destroyed after it: the last word of the process.
struct release_witness {
    ~release_witness()
    {
        int mapped = 0;
        if (loaded_path[0] != '\0')
            mapped = dlopen(loaded_path, RTLD_NOW | RTLD_NOLOAD) != nullptr ? 1 : 0;
        std::printf("dlclose calls %d, library mapped %d\n", release_count, mapped);
        std::fflush(stdout);
    }
};

__attribute__((init_priority(101))) release_witness witness;

void entries_line(bool loaded)
{
    const void* const entries[] = {
        reinterpret_cast<void*>(port_io.InitializeWinIo), reinterpret_cast<void*>(port_io.ShutdownWinIo),
        reinterpret_cast<void*>(port_io.GetPortVal), reinterpret_cast<void*>(port_io.SetPortVal),
        reinterpret_cast<void*>(port_io.MapPhysToLin), reinterpret_cast<void*>(port_io.UnmapPhysicalMemory),
        reinterpret_cast<void*>(port_io.GetPhysLong), reinterpret_cast<void*>(port_io.SetPhysLong),
    };
    std::printf("load %d ", loaded ? 1 : 0);
    for (const void* entry : entries)
        std::putchar(entry != nullptr ? '+' : '-');
    std::printf("%s\n", port_io.module != nullptr ? "" : " no module");
}

void on_exit_handler()
{
    std::printf("exit handlers run\n");
}

} // namespace

// Notes the port-I/O library's handle and counts its releases; the real
// dlopen and dlclose do the work.
extern "C" void* dlopen(const char* path, int flags)
{
    using dlopen_fn = void* (*)(const char*, int);
    static const auto real_dlopen = reinterpret_cast<dlopen_fn>(dlsym(RTLD_NEXT, "dlopen"));
    void* const handle = real_dlopen(path, flags);
    const char* const name = "/WinIo.dll";
    const size_t length = path != nullptr ? std::strlen(path) : 0;
    if (handle != nullptr && (flags & RTLD_NOLOAD) == 0 && length >= std::strlen(name)
        && std::strcmp(path + length - std::strlen(name), name) == 0) {
        loaded_handle = handle;
        std::snprintf(loaded_path, sizeof loaded_path, "%s", path);
    }
    return handle;
}

extern "C" int dlclose(void* handle)
{
    using dlclose_fn = int (*)(void*);
    static const auto real_dlclose = reinterpret_cast<dlclose_fn>(dlsym(RTLD_NEXT, "dlclose"));
    if (loaded_handle != nullptr && handle == loaded_handle)
        ++release_count;
    return real_dlclose(handle);
}

int main(int argc, char* argv[])
{
    std::atexit(on_exit_handler);
    for (int i = 1; i < argc; ++i) {
        const char* const word = argv[i];
        if (std::strcmp(word, "load") == 0) {
            entries_line(port_io.load());
        } else if (std::strcmp(word, "unload") == 0) {
            port_io.unload();
            std::printf("unloaded\n");
        } else if (std::strcmp(word, "write") == 0 && i + 1 < argc) {
            port_write(static_cast<uint8_t>(std::strtoul(argv[++i], nullptr, 16)));
        } else if (std::strcmp(word, "read") == 0) {
            std::printf("read %02X\n", port_read());
        } else if (std::strcmp(word, "fatal") == 0) {
            link_failure();
        } else if (std::strcmp(word, "chdir") == 0 && i + 1 < argc) {
            if (chdir(argv[++i]) != 0)
                return 2;
        } else {
            std::printf("unknown word %s\n", word);
            return 2;
        }
        std::fflush(stdout);
    }
    return 0;
}
