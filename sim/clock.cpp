// SPDX-License-Identifier: MIT
#include "sim/clock.h"

#include <chrono>

namespace sim {

uint64_t clock_port_accesses = 0;

namespace {
uint64_t port_ns = 1000;     // an ISA-bus parallel port
uint64_t base_ns = 0;        // time at base_accesses
uint64_t base_accesses = 0;  // access count when port_ns or sleeps last changed time
bool real_time = false;
std::chrono::steady_clock::time_point real_base; // steady time at base_ns

uint64_t real_elapsed_ns()
{
    const auto elapsed = std::chrono::steady_clock::now() - real_base;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count());
}
} // namespace

uint64_t now_ns()
{
    if (real_time) [[unlikely]]
        return base_ns + real_elapsed_ns();
    return base_ns + (clock_port_accesses - base_accesses) * port_ns;
}

void clock_use_real_time()
{
    if (real_time)
        return;
    base_ns = now_ns();
    real_base = std::chrono::steady_clock::now();
    real_time = true;
}

bool clock_real_time()
{
    return real_time;
}

void advance_ns(uint64_t ns)
{
    base_ns += ns;
}

void clock_set_port_ns(uint64_t ns)
{
    if (!real_time)
        base_ns = now_ns();
    base_accesses = clock_port_accesses;
    port_ns = ns;
}

uint64_t clock_port_ns()
{
    return port_ns;
}

void clock_reset()
{
    clock_port_accesses = 0;
    base_ns = 0;
    base_accesses = 0;
    real_time = false;
}

} // namespace sim
