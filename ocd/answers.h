// SPDX-License-Identifier: MIT
// vexload-ocd's reading of what OpenOCD answers to its requests (the
// procedures of ocd/tcl_scripts.cpp), as pure functions: every answer is
// checked word by word, and anything else than a well-formed answer is said
// to be so, never guessed at. A broken or hostile server gets nothing but a
// line that names what it sent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The scans of a request ran: "ok" with the last data scan's result, or
// "status K": data scan K (from 0) had its status bit set and the scans
// stopped there. A repeated read: "reads N DATA", N reads made, the last one
// DATA. A batch: "passed", or "failed LINE [READ]" naming the first check of
// the SVF file that failed and, where OpenOCD said, the 33 bits it read. What
// ran before the main part of a request ("first") and failed: "first status K".
// Collected reads: "values N DATA...", the N results in order.
struct scan_answer {
    enum kind_t { ok, status, repeated, passed, failed, first_status, values } kind = ok;
    std::optional<uint32_t> data; // ok (when a data scan ran), repeated
    long index = 0;               // status, first_status: the data scan; failed: the line
    long reads = 0;               // repeated: how many reads
    std::optional<uint64_t> read; // failed: status bit 32, data 31..0
    std::vector<uint32_t> collected; // values
};

// false, with answer_error(text) in error, for anything that is not one of
// the forms above.
bool parse_scan_answer(const std::string& text, scan_answer& answer, std::string& error);

// The line of an answer that is not what was asked for: its first 60
// printable characters.
std::string answer_error(const std::string& text);

// "held WHO AGE_MS" (the claim of another run) or "" (taken).
struct claim_answer {
    bool taken = false;
    std::string holder;
    long age_ms = 0;
};
bool parse_claim_answer(const std::string& text, claim_answer& answer);

// What OpenOCD says of its set-up: the TAP names, the scan chain's rows and
// the reset configuration and the adapter driver's name, joined by " | ".
struct setup_answer {
    std::vector<std::string> taps;
    std::vector<std::string> chain_rows;
    std::string reset_config;
    std::string adapter;
};
bool parse_setup_answer(const std::string& text, setup_answer& answer);

// The instruction register length of the TAP's row in the scan chain; -1
// when the TAP has no row or the row is not the table's shape.
int ir_length_of(const setup_answer& setup, const std::string& tap);

// A request OpenOCD could not carry out: "!CODE MESSAGE"; the message's first
// line without its trailing blanks and full stops. nullopt for any other answer.
std::optional<std::string> failure_of(const std::string& text);

// At most 60 printable characters of text, for a line that quotes it.
std::string quoted(const std::string& text);
