// SPDX-License-Identifier: MIT
// One programming run of the tool's own steps on the virtual box, in this
// process, with the box's event log on: where in a run the box sees each step
// begin, for tests that aim a fault at a point of a run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/events.h"

struct recorded_run {
    int64_t halt_exchanges = 0; // the control writes that halt the core
    int64_t exchange_count = 0;
    std::vector<sim::event> events;
};

// The run of -m zorvan50s -c 1 on a sound box with the MX29LV640MT. Recorded
// once per process, or read from the file that VEXLOAD_RECORDED_RUN names
// (written by the test that records it, which ctest runs first).
const recorded_run& zorvan50s_run();

// Records the run and writes it to path (through a partial file renamed at
// the end); false when it cannot be written.
bool save_zorvan50s_run(const std::string& path);

// The exchange of the n-th event (from 0) of this kind, with a number in
// [from, to); -1 when there are fewer.
int64_t exchange_of(const recorded_run& run, sim::event_kind kind, int64_t n, uint32_t from = 0,
                    uint32_t to = 0xFFFFFFFF);
