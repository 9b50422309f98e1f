// SPDX-License-Identifier: MIT
// vexload-ocd's port-I/O library: OpenOCD owns the cable, so the port-I/O
// library the run sequence binds is one with nothing to do.
#include "platform/module_in_process.h"

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

} // namespace

const winio_entry_points* in_process_library()
{
    static constexpr winio_entry_points library = {initialize, shutdown, no_port_read, no_port, no_phys_map,
        no_phys_unmap, no_phys_get, no_phys_set};
    return &library;
}
