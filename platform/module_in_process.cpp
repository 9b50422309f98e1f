// SPDX-License-Identifier: MIT
#include "platform/module_in_process.h"

#include <cstdio>
#include <cstring>

#include "platform/module.h"

namespace {

// The handle of the carried library: its entry points as they were loaded.
const winio_entry_points* loaded = nullptr;

} // namespace

module_handle module_load(const char* file_name)
{
    if (file_name == nullptr || std::strcmp(file_name, "WinIo.dll") != 0)
        return nullptr;
    loaded = in_process_library();
    return const_cast<winio_entry_points*>(loaded);
}

void* module_symbol(module_handle module, const char* name)
{
    if (module == nullptr || module != loaded)
        return nullptr;
    const winio_entry_points& e = *loaded;
    const struct {
        const char* name;
        void* address;
    } entries[] = {
        {"InitializeWinIo", reinterpret_cast<void*>(e.InitializeWinIo)},
        {"ShutdownWinIo", reinterpret_cast<void*>(e.ShutdownWinIo)},
        {"GetPortVal", reinterpret_cast<void*>(e.GetPortVal)},
        {"SetPortVal", reinterpret_cast<void*>(e.SetPortVal)},
        {"MapPhysToLin", reinterpret_cast<void*>(e.MapPhysToLin)},
        {"UnmapPhysicalMemory", reinterpret_cast<void*>(e.UnmapPhysicalMemory)},
        {"GetPhysLong", reinterpret_cast<void*>(e.GetPhysLong)},
        {"SetPhysLong", reinterpret_cast<void*>(e.SetPhysLong)},
    };
    for (const auto& entry : entries)
        if (std::strcmp(name, entry.name) == 0)
            return entry.address;
    return nullptr;
}

void module_free(module_handle) {}

uint8_t* WINIO_API no_phys_map(uint8_t*, uint32_t, void**)
{
    return nullptr;
}

bool WINIO_API no_phys_unmap(void*, uint8_t*)
{
    return false;
}

bool WINIO_API no_phys_get(uint32_t*, uint32_t*)
{
    return false;
}

bool WINIO_API no_phys_set(uint32_t*, uint32_t)
{
    return false;
}

void message_box(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
}
