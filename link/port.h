// SPDX-License-Identifier: MIT
// The one seam between the tool and the cable: the parallel port's data
// register (written) and status register (read). Which implementation a
// program gets is decided when it is linked: the hardware port in vexload,
// the virtual box in vexload-sim, a recording port in the link's unit tests.
#pragma once

#include <cstdint>

constexpr uint16_t port_data_address = 0x378;   // data register: TCK, TMS, TDI, reset group
constexpr uint16_t port_status_address = 0x379; // status register: bit 7 is TDO, inverted

// One byte out to the data register.
void port_write(uint8_t value);

// One byte in from the status register.
uint8_t port_read();
