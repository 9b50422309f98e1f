// Simulated time of the virtual box. Every port access costs port_ns; a
// Sleep advances time and waits for nothing.
#pragma once

#include <cstdint>

namespace sim {

// Nanoseconds since the box was powered on.
uint64_t now_ns();

void advance_ns(uint64_t ns);

} // namespace sim
