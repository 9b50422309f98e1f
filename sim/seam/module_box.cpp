// SPDX-License-Identifier: MIT
// vexload-sim's port-I/O library: a virtual WinIo.dll whose port functions
// reach the virtual box, so that a simulated run never asks the real machine
// for port access.
#include <cstring>

#include "link/port.h"
#include "platform/module_in_process.h"
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

// The library as the box's PC has it: whole, or without SetPhysLong.
constexpr winio_entry_points complete = {initialize, shutdown, get_port, set_port, no_phys_map, no_phys_unmap,
    no_phys_get, no_phys_set};
constexpr winio_entry_points incomplete = {initialize, shutdown, get_port, set_port, no_phys_map, no_phys_unmap,
    no_phys_get, nullptr};

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

const winio_entry_points* in_process_library()
{
    switch (box_winio) {
    case winio_presence::absent:
        return nullptr;
    case winio_presence::incomplete:
        return &incomplete;
    default:
        return &complete;
    }
}
