// SPDX-License-Identifier: MIT
// Data polling of a word being programmed: while the chip is busy its DQ7
// reads the complement of the data bit, DQ5 rises when the chip's own time
// limit is exceeded. The rule as a value, so that every caller of a poll
// (the word-by-word download, vexload-ocd's batches taking a word up) judges
// the reads it made the same way.
#pragma once

#include <cstdint>

constexpr uint16_t erased_word = 0xFFFF;
constexpr uint16_t status_dq7 = 0x80;
constexpr uint16_t status_dq5 = 0x20;
// Busy reads (DQ7 still different, DQ5 clear) that a word may take; the next one fails it.
constexpr int32_t poll_limit = 100;

// The polling of one word so far.
struct program_poll {
    uint16_t word;
    int32_t busy_reads = 0;
    bool time_limit_seen = false; // a read had DQ5 set: the next one decides
};

enum class poll_verdict { programmed, read_again, failed };

// Judges the next read of the word's address.
poll_verdict judge_poll(program_poll& poll, uint16_t read);

// The busy reads that may still be made before the next read decides.
int32_t polls_left(const program_poll& poll);
