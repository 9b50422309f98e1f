// SPDX-License-Identifier: MIT
// A stand-in for the link, linked into unit tests instead of link/ and the
// platform seam: every debug exchange, TAP clock, reset-line change and pause
// is recorded in order, and data reads are answered from a script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

struct recorded_exchange {
    int instruction;
    uint32_t data;
    int final_bit;
    bool operator==(const recorded_exchange&) const = default;
};

enum class recorded_kind { exchange, clock, reset_lines, sleep };

// exchange: a = instruction, b = data, c = final bit; clock: a = TMS, c = TDI;
// reset_lines: a = level; sleep: b = milliseconds.
struct recorded_event {
    recorded_kind kind;
    int a = 0;
    uint32_t b = 0;
    int c = 0;
    bool operator==(const recorded_event&) const = default;
};

// Thrown instead of ending the process, so that a test sees where it stopped.
struct recorder_link_failure {};
struct recorder_exit {
    int status;
};

extern std::vector<recorded_event> recorded_events;
extern std::vector<recorded_exchange> recorded_exchanges;

// Answers of data reads (dbg_data with final bit 0), first one first; once
// they are used up a read gets recorder_default_reply. Other exchanges give 0.
extern std::deque<uint32_t> recorder_read_replies;
extern uint32_t recorder_default_reply;

// Forgets everything recorded and puts the link's variables back to their
// initial values.
void recorder_reset();
