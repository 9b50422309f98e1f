// SPDX-License-Identifier: MIT
// vexload-sim's port: the data and status registers of the virtual box. As on
// the real PC, the first access loads the port-I/O library (the box's virtual
// one); the registers are reached directly whatever it answers.
#include "link/port.h"
#include "platform/port_io_library.h"
#include "sim/box.h"

namespace {

bool library_loaded = false;

[[gnu::noinline, gnu::cold]] void load_library()
{
    port_io.load_once();
    library_loaded = true;
}

} // namespace

void port_write(uint8_t value)
{
    if (!library_loaded) [[unlikely]]
        load_library();
    sim::box_port_write(value);
}

uint8_t port_read()
{
    if (!library_loaded) [[unlikely]]
        load_library();
    return sim::box_port_read();
}
