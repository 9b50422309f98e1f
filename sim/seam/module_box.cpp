// SPDX-License-Identifier: MIT
// vexload-sim's library loading: a virtual WinIo.dll whose port functions
// reach the virtual box, so that a simulated run never asks the real machine
// for port access.
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

// The box's PC has no physical memory to lend.
uint8_t* WINIO_API map_phys(uint8_t*, uint32_t, void**)
{
    return nullptr;
}

bool WINIO_API unmap_phys(void*, uint8_t*)
{
    return false;
}

bool WINIO_API get_phys(uint32_t*, uint32_t*)
{
    return false;
}

bool WINIO_API set_phys(uint32_t*, uint32_t)
{
    return false;
}

struct entry_point {
    const char* name;
    void* address;
};

const entry_point entry_points[] = {
    {"InitializeWinIo", reinterpret_cast<void*>(initialize)},
    {"ShutdownWinIo", reinterpret_cast<void*>(shutdown)},
    {"GetPortVal", reinterpret_cast<void*>(get_port)},
    {"SetPortVal", reinterpret_cast<void*>(set_port)},
    {"MapPhysToLin", reinterpret_cast<void*>(map_phys)},
    {"UnmapPhysicalMemory", reinterpret_cast<void*>(unmap_phys)},
    {"GetPhysLong", reinterpret_cast<void*>(get_phys)},
    {"SetPhysLong", reinterpret_cast<void*>(set_phys)},
};

int library_marker;

} // namespace

bool winio_presence_from(const char* word, winio_presence& presence)
{
    const struct {
        const char* word;
        winio_presence presence;
    } words[] = {{"present", winio_presence::present}, {"absent", winio_presence::absent},
        {"incomplete", winio_presence::incomplete}, {"init-fails", winio_presence::init_fails}};
    for (const auto& w : words)
        if (std::strcmp(word, w.word) == 0) {
            presence = w.presence;
            return true;
        }
    return false;
}

module_handle module_load(const char* file_name)
{
    if (box_winio == winio_presence::absent || std::strcmp(file_name, "WinIo.dll") != 0)
        return nullptr;
    return &library_marker;
}

void* module_symbol(module_handle module, const char* name)
{
    if (module != &library_marker)
        return nullptr;
    if (box_winio == winio_presence::incomplete && std::strcmp(name, "SetPhysLong") == 0)
        return nullptr;
    for (const entry_point& e : entry_points)
        if (std::strcmp(name, e.name) == 0)
            return e.address;
    return nullptr;
}

void module_free(module_handle) {}

void message_box(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
}
