// SPDX-License-Identifier: MIT
#include "platform/system.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

void platform_sleep(uint32_t ms)
{
    timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0) {
    }
}

void platform_exit(int status)
{
    std::fflush(stdout);
    std::exit(status);
}
