// SPDX-License-Identifier: MIT
// What vexload-sim tells on standard error when a run ends.
#pragma once

#include <cstdint>

#include "sim/program/phases.h"

// Simulated time, port accesses, TCK cycles, exchanges, sleeps, the time of
// each step of the run, and last "image in flash: yes" or "image in flash: no".
void print_summary();

struct run_phase {
    const char* name;
    bool reached;
    uint64_t ns; // simulated time spent in the step
};

// Each step lasts from its mark to the next mark seen (or to now); a step
// whose mark was never seen was not reached.
void run_phases(run_phase (&phases)[run_phase_count]);
