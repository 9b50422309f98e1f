// SPDX-License-Identifier: MIT
// Exchanges as the text of an SVF file for OpenOCD's player: one command a
// line, so that the line OpenOCD names in a failed check is an exchange's.
#pragma once

#include <string>
#include <vector>

#include "link/exchange_list.h"

struct svf_step {
    exchange ex;
    uint32_t settle_clocks = 0; // clocks in Run-Test/Idle before it
    bool status_checked = true; // its status bit must read clear
};

struct svf_text {
    std::string text;
    std::vector<long> step_of_line; // index 0 is line 1; -1 for a line that is no exchange's data scan
};

// The player starts from Test-Logic-Reset: the first exchange scans its
// instruction, and so does every one whose instruction differs from the
// last's.
svf_text svf_of(const std::vector<svf_step>& steps);
