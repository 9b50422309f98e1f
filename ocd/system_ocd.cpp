// SPDX-License-Identifier: MIT
// vexload-ocd's pause and end: what waits in the scan queue goes out first;
// at the end the claim on OpenOCD is given back.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "ocd/exchange_ocd.h"
#include "platform/system.h"

void platform_sleep(uint32_t ms)
{
    ocd_link_flush();
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void platform_exit(int status)
{
    ocd_link_close();
    std::fflush(stdout);
    std::exit(status);
}
