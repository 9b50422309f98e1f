// SPDX-License-Identifier: MIT
// Loads WinIo.dll the way vexload does, from the directory this program was
// copied to, and prints the file it got and how many entry points it has:
//   "<path> <entry points>" or "not found".
#include <dlfcn.h>

#include <cstdio>

#include "platform/module.h"

int main()
{
    module_handle module = module_load("WinIo.dll");
    if (module == nullptr) {
        std::printf("not found\n");
        return 1;
    }
    const char* const names[] = {"InitializeWinIo", "ShutdownWinIo", "GetPortVal", "SetPortVal", "MapPhysToLin",
        "UnmapPhysicalMemory", "GetPhysLong", "SetPhysLong"};
    int found = 0;
    const char* file = "?";
    for (const char* name : names) {
        void* entry = module_symbol(module, name);
        if (entry == nullptr)
            continue;
        ++found;
        Dl_info info{};
        if (dladdr(entry, &info) != 0 && info.dli_fname != nullptr)
            file = info.dli_fname;
    }
    std::printf("%s %d\n", file, found);
    module_free(module);
    return 0;
}
