// SPDX-License-Identifier: MIT
// Drives the Windows platform layer and the port-I/O binding, one command
// word at a time, printing what each gives back:
//   load         port_io.load()             -> "load 0|1"
//   module NAME  module_load(NAME)          -> "module 0|1"
//   w HEX        port_write
//   r            port_read                  -> "r HH"
//   journal      the stand-in library's log -> "journal none" or its lines
//   cd DIR       change the current directory
//   args ...     echo the remaining words   -> "[word]" per word
//   crash        an access violation
//   exit N       platform_exit(N)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/port.h"
#include "platform/port_io_library.h"
#include "platform/system.h"

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : "";
        if (std::strcmp(word, "load") == 0) {
            std::printf("load %d\n", port_io.load() ? 1 : 0);
        } else if (std::strcmp(word, "module") == 0) {
            std::printf("module %d\n", module_load(next) != nullptr ? 1 : 0);
            ++i;
        } else if (std::strcmp(word, "w") == 0) {
            port_write(static_cast<uint8_t>(std::strtoul(next, nullptr, 16)));
            ++i;
        } else if (std::strcmp(word, "r") == 0) {
            std::printf("r %02X\n", port_read());
        } else if (std::strcmp(word, "journal") == 0) {
            using journal_fn = const char* (*)();
            const auto journal = port_io.module == nullptr
                ? nullptr
                : reinterpret_cast<journal_fn>(module_symbol(port_io.module, "winio_double_journal"));
            std::printf("journal %s", journal == nullptr ? "none\n" : journal());
        } else if (std::strcmp(word, "cd") == 0) {
            if (!SetCurrentDirectoryA(next))
                std::printf("cd failed\n");
            ++i;
        } else if (std::strcmp(word, "args") == 0) {
            for (++i; i < argc; ++i)
                std::printf("[%s]", argv[i]);
            std::printf("\n");
        } else if (std::strcmp(word, "crash") == 0) {
            std::fflush(stdout);
            *static_cast<volatile int*>(nullptr) = 1;
        } else if (std::strcmp(word, "exit") == 0) {
            platform_exit(std::atoi(next));
        } else {
            std::printf("unknown command %s\n", word);
            return 2;
        }
        // Unbuffered order with what the stand-in library writes itself.
        std::fflush(stdout);
    }
    return 0;
}
