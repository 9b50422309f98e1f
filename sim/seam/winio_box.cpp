// SPDX-License-Identifier: MIT
// vexload-sim's port-I/O library: a virtual WinIo.dll, carried inside the
// program and found there, never on disk, whose port functions reach the
// virtual box, so that a simulated run never asks the real machine for port
// access. Its message box is a line on standard error.
#include <cstdio>
#include <cstring>

#include "link/port.h"
#include "platform/module.h"
#include "platform/port_io_library.h"
#include "sim/box.h"
#include "sim/seam/winio_box.h"

winio_presence box_winio = winio_presence::present;

namespace {

bool WINIO_API initialize()
{
    return box_winio != winio_presence::init_fails;
}

void WINIO_API shutdown() {}

bool WINIO_API get_port(uint16_t port, uint32_t* value, uint8_t size)
{
    if (port != port_status_address || size != 1 || value == nullptr)
        return false;
    *value = sim::box_port_read();
    return true;
}

bool WINIO_API set_port(uint16_t port, uint32_t value, uint8_t size)
{
    if (port != port_data_address || size != 1)
        return false;
    sim::box_port_write(static_cast<uint8_t>(value));
    return true;
}

// No physical memory to lend: every mapping, read and write is refused.
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

// The library as the box's PC has it: whole, or without SetPhysLong.
constexpr winio_entry_points complete = {initialize, shutdown, get_port, set_port, no_phys_map, no_phys_unmap,
    no_phys_get, no_phys_set};
constexpr winio_entry_points incomplete = {initialize, shutdown, get_port, set_port, no_phys_map, no_phys_unmap,
    no_phys_get, nullptr};

// The handle of the library: its entry points as they were loaded.
const winio_entry_points* loaded = nullptr;

} // namespace

module_handle module_load(const char* file_name)
{
    if (file_name == nullptr || std::strcmp(file_name, "WinIo.dll") != 0)
        return nullptr;
    switch (box_winio) {
    case winio_presence::absent:
        loaded = nullptr;
        break;
    case winio_presence::incomplete:
        loaded = &incomplete;
        break;
    default:
        loaded = &complete;
        break;
    }
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

void message_box(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
}
