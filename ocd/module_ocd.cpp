// SPDX-License-Identifier: MIT
// vexload-ocd's library loading: OpenOCD owns the cable, so the port-I/O
// library the run sequence binds is one with nothing to do.
#include <cstdio>
#include <cstring>

#include "platform/module.h"
#include "platform/port_io_library.h"

namespace {

bool WINIO_API initialize()
{
    return true;
}

void WINIO_API shutdown() {}

bool WINIO_API no_port(uint16_t, uint32_t, uint8_t)
{
    return false;
}

bool WINIO_API no_port_read(uint16_t, uint32_t*, uint8_t)
{
    return false;
}

uint8_t* WINIO_API no_map(uint8_t*, uint32_t, void**)
{
    return nullptr;
}

bool WINIO_API no_unmap(void*, uint8_t*)
{
    return false;
}

bool WINIO_API no_phys_read(uint32_t*, uint32_t*)
{
    return false;
}

bool WINIO_API no_phys_write(uint32_t*, uint32_t)
{
    return false;
}

struct entry {
    const char* name;
    void* address;
};

const entry entries[] = {
    {"InitializeWinIo", reinterpret_cast<void*>(&initialize)},
    {"ShutdownWinIo", reinterpret_cast<void*>(&shutdown)},
    {"GetPortVal", reinterpret_cast<void*>(&no_port_read)},
    {"SetPortVal", reinterpret_cast<void*>(&no_port)},
    {"MapPhysToLin", reinterpret_cast<void*>(&no_map)},
    {"UnmapPhysicalMemory", reinterpret_cast<void*>(&no_unmap)},
    {"GetPhysLong", reinterpret_cast<void*>(&no_phys_read)},
    {"SetPhysLong", reinterpret_cast<void*>(&no_phys_write)},
};

int the_library;

} // namespace

module_handle module_load(const char*)
{
    return &the_library;
}

void* module_symbol(module_handle, const char* name)
{
    for (const entry& e : entries)
        if (std::strcmp(e.name, name) == 0)
            return e.address;
    return nullptr;
}

void module_free(module_handle) {}

void message_box(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
}
