#include "sim/clock.h"

namespace sim {

uint64_t clock_port_accesses = 0;

namespace {
uint64_t port_ns = 1000;     // an ISA-bus parallel port
uint64_t base_ns = 0;        // time at base_accesses
uint64_t base_accesses = 0;  // access count when port_ns or sleeps last changed time
} // namespace

uint64_t now_ns()
{
    return base_ns + (clock_port_accesses - base_accesses) * port_ns;
}

void advance_ns(uint64_t ns)
{
    base_ns += ns;
}

void clock_set_port_ns(uint64_t ns)
{
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
}

} // namespace sim
