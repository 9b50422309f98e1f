#include "sim/clock.h"

namespace sim {

namespace {
uint64_t time_ns = 0;
}

uint64_t now_ns()
{
    return time_ns;
}

void advance_ns(uint64_t ns)
{
    time_ns += ns;
}

} // namespace sim
