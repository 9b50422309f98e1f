// SPDX-License-Identifier: MIT
#include "link/debug_exchange.h"

#include <cstdio>

#include "link/cable.h"
#include "platform/system.h"

uint32_t dbg_exchange(int instruction, uint32_t data, int final_bit)
{
    // Run-Test/Idle, Select-DR-Scan.
    tap_clock(0, 0);
    tap_clock(1, 0);

    if (instruction_scan_needed(ir_cache, instruction)) {
        // Select-IR-Scan, Capture-IR, Shift-IR; seven instruction bits, the last
        // one leaving for Exit1-IR; Update-IR, Select-DR-Scan.
        tap_clock(1, 0);
        tap_clock(0, 0);
        tap_clock(0, 0);
        for (int bit = 0; bit < 6; ++bit)
            tap_clock(0, (instruction >> bit) & 1);
        tap_clock(1, (instruction >> 6) & 1);
        tap_clock(1, 0);
        tap_clock(1, 0);
    }

    // Capture-DR, Shift-DR; 32 data bits in, the result out, bit 0 first.
    tap_clock(0, 0);
    tap_clock(0, 0);
    uint32_t result = 0;
    for (int bit = 0; bit < 32; ++bit)
        result |= static_cast<uint32_t>(tap_clock(0, (data >> bit) & 1)) << bit;

    // Exit1-DR with the final bit in and the status bit out.
    const int status = tap_clock(1, final_bit != 0);
    if (status != 0 && ignore_link_status == 0)
        link_failure();

    // Update-DR, Run-Test/Idle.
    tap_clock(1, 0);
    tap_clock(0, 0);
    return result;
}

void link_failure()
{
    std::fputs(link_failure_message, stdout);
    platform_exit(-1);
}
