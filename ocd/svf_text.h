// SPDX-License-Identifier: MIT
// Captured scans as the text of an SVF file for OpenOCD's player: one
// command a line, so that the line OpenOCD names in a failed check is a scan.
#pragma once

#include <string>
#include <vector>

#include "ocd/link_ocd.h"

struct svf_text {
    std::string text;
    std::vector<long> scan_of_line; // index 0 is line 1; -1 for a line that is no scan
};

svf_text svf_of(const std::vector<ocd_scan>& scans);
