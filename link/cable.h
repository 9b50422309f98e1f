// SPDX-License-Identifier: MIT
// Cable signals on the parallel port's data register and the JTAG bit clock:
// the cable's side of the debug exchange seam (link/debug_exchange.h), which
// also carries its reset group and TAP reset.
#pragma once

#include <cstdint>

// Port writes per half TCK period (-t). Zero or negative: no byte reaches the port.
extern int32_t clock_delay;

// The byte last put on the data register.
extern uint8_t port_shadow;

// One TCK period with the given TMS and TDI levels (non-zero is 1); returns TDO.
int tap_clock(int tms, int tdi);
