// SPDX-License-Identifier: MIT
// vexload-sim's port: the data and status registers of the virtual box.
#include "link/port.h"
#include "sim/box.h"

void port_write(uint8_t value)
{
    sim::box_port_write(value);
}

uint8_t port_read()
{
    return sim::box_port_read();
}
