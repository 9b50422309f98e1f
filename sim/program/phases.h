// SPDX-License-Identifier: MIT
// The steps of a programming run as the box's bus shows them, by name.
#pragma once

#include <string>

#include "sim/events.h"

constexpr int run_phase_count = 6;

// A step and the bus activity that starts it; the link tests start at power-on.
struct phase_start {
    const char* name; // as the summary prints it
    bool at_power_on;
    sim::milestone mark;
};

extern const phase_start phase_starts[run_phase_count];

// The step named as on the command line: the summary's name with '-' for
// each blank ("link-tests"); -1 when there is none.
int phase_by_word(const std::string& word);

// "link-tests, board-script, ..., verify"
std::string phase_words();
