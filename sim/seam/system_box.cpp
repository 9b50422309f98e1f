// SPDX-License-Identifier: MIT
// vexload-sim's pause and exit: simulated time, then the program's summary.
#include <cstdio>
#include <cstdlib>

#include "platform/system.h"
#include "sim/box.h"

void platform_sleep(uint32_t ms)
{
    sim::box_sleep(ms);
}

void platform_exit(int status)
{
    std::fflush(stdout);
    if (void (*hook)(int) = sim::box_exit_hook())
        hook(status);
    std::exit(status);
}
