// SPDX-License-Identifier: MIT
#include "platform/system.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

void platform_sleep(uint32_t ms)
{
    Sleep(ms);
}

void platform_exit(int status)
{
    std::fflush(stdout);
    std::exit(status);
}
