// SPDX-License-Identifier: MIT
// What vexload prints for a run, built from the run's parts.
#pragma once

#include <string>

namespace expected {

inline const std::string board = "zorvan50s(PAL) board initialize\n";
inline const std::string target_failed = "Target test failed. If you need help, run \"flash help\"\n";
inline const std::string register_failed = "Register test failed. Check cable connection.\n";

// The progress text of a run over 0x18000 or 0x20000 words, as redrawn after
// each "\r", up to and including the line drawn for word last (-1: the whole run).
std::string progress(const std::string& title, int count, int last = -1);

// The erase line for sector_count sectors.
std::string erase_line(int sector_count);

// A successful run from the board message to the verdict.
std::string full_run(const std::string& board_message, const std::string& flash_info, int image_words, bool verify);

} // namespace expected
