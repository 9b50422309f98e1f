// SPDX-License-Identifier: MIT
// What vexload-sim tells on standard error when a run ends.
#pragma once

#include <cstdint>

#include "sim/program/phases.h"

#include "sim/box.h"

// Where a summary counts from: power-on, or a served client's connection.
struct summary_start {
    uint64_t ns = 0;
    sim::box_stats stats;
};

// Now, with the step marks cleared: a served client's steps are its own.
summary_start summary_starting_now();

// Simulated time, port accesses, TCK cycles, exchanges, sleeps, the time of
// each step of the run, and last "image in flash: yes" or "image in flash: no",
// all since from.
void print_summary(const summary_start& from = summary_start{});

struct run_phase {
    const char* name;
    bool reached;
    uint64_t ns; // simulated time spent in the step
};

// Each step lasts from its mark to the next mark seen (or to now); a step
// whose mark was never seen was not reached. The first starts at since_ns.
void run_phases(run_phase (&phases)[run_phase_count], uint64_t since_ns = 0);
