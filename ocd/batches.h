// SPDX-License-Identifier: MIT
// vexload-ocd's batches: the words of the download and the verify as bus
// cycles queued in OpenOCD, one SVF file a batch, whose checks its player
// makes as it goes. What the run prints is what it prints word by word: a
// progress line once the words before it are confirmed.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ocd/exchange_ocd.h"
#include "ocd/svf_text.h"
#include "ocd/walking_cycles.h"

// Four progress blocks a batch: a file of some hundred kilobytes, and one
// line of OpenOCD's log ("svf processing file") for every 4096 words.
constexpr int32_t batch_words = 4096;

// The progress line of every index up to one, each evaluated once.
struct progress {
    const char* title;
    int32_t count;
    int32_t evaluated = -1;

    void up_to(int32_t index);
};

// A batch's exchanges, and for each the image word it belongs to.
struct batch {
    std::vector<svf_step> steps;
    std::vector<int32_t> word_of_step;
    walker r1;
};

// A batch that starts by stopping the core again: the player's reset of the
// TAP may have let it run, and what it ran leaves no register as it was, so
// r1 is seated again by the first cycle.
batch batch_from(int32_t first_word);

// The cycle's exchanges at the end of the batch, for word; settle_clocks in
// Run-Test/Idle before them.
void add_cycle(batch& b, const bus_cycle& cycle, int32_t word, uint32_t settle_clocks = 0);

// How a batch went: passed, or the first check that failed, with the word it
// belongs to and, where OpenOCD said, the 33 bits that step read.
struct batch_outcome {
    bool passed = true;
    std::optional<int32_t> word; // unknown where OpenOCD named no line of the file
    std::optional<uint64_t> read;
    bool status_failed = false; // the check was a status bit: the link failed
};
batch_outcome play_batch(ocd_link& link, const batch& b);

// The index after the batch that starts at first, of count words.
int32_t batch_end(int32_t first, int32_t count);

// Batch after batch over count words under title: step(first, end, p) takes
// a batch and gives the index the next one starts at, or -1 to end with -1.
template <typename Step>
int run_batches(const char* title, int32_t count, Step step)
{
    progress p{title, count};
    for (int32_t i = 0; i < count;) {
        p.up_to(i);
        i = step(i, batch_end(i, count), p);
        if (i < 0)
            return -1;
    }
    return 0;
}
