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
    void* found = nullptr;
    winio_each_entry(*loaded, [&](const char* entry_name, auto field) {
        if (std::strcmp(name, entry_name) != 0)
            return true;
        found = reinterpret_cast<void*>(field);
        return false;
    });
    return found;
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
