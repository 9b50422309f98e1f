// SPDX-License-Identifier: MIT
// Time of the virtual box. Simulated: every port access costs port_ns; a
// Sleep advances time and waits for nothing. Time is derived from the access
// count, so the port path pays one increment and nothing more. Real (a box
// served to a client that sleeps for real): time is a steady clock, read
// only where the box asks for the time.
#pragma once

#include <cstdint>

namespace sim {

// Port accesses (writes and reads) since the box was powered on; the box
// counts them, the clock turns them into time.
extern uint64_t clock_port_accesses;

// Nanoseconds since the box was powered on.
uint64_t now_ns();

// Time that passes without port traffic (a Sleep).
void advance_ns(uint64_t ns);

// Cost of one port access from now on; time already passed is kept.
void clock_set_port_ns(uint64_t ns);
uint64_t clock_port_ns();

// Time 0 and no accesses, simulated; the cost per access is kept.
void clock_reset();

// From now on time is the steady clock's, starting from the present time.
void clock_use_real_time();
bool clock_real_time();

} // namespace sim
