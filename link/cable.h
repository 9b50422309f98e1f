// SPDX-License-Identifier: MIT
// Cable signals on the parallel port's data register and the JTAG bit clock.
#pragma once

#include <cstdint>

// Port writes per half TCK period (-t). Zero or negative: no byte reaches the port.
extern int32_t clock_delay;

// The byte last put on the data register.
extern uint8_t port_shadow;

// One TCK period with the given TMS and TDI levels (non-zero is 1); returns TDO.
int tap_clock(int tms, int tdi);

// Reset group low (level 0) or high (any other level); one port write.
void set_reset_lines(int level);

// TMS high long enough to reach Test-Logic-Reset from any state.
void tap_reset();
