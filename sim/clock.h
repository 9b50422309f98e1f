// Simulated time of the virtual box. Every port access costs port_ns; a
// Sleep advances time and waits for nothing. Time is derived from the access
// count, so the port path pays one increment and nothing more.
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

// Time 0 and no accesses; the cost per access is kept.
void clock_reset();

} // namespace sim
