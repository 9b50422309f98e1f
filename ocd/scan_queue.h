// SPDX-License-Identifier: MIT
// vexload-ocd's scan queue: exchanges whose result nobody reads wait here and
// go to OpenOCD with the next one that reads, so that a register write or a
// flash command costs no request of its own; a repeated read and a batch take
// what waits with them. Each request's scans run one by one inside OpenOCD
// and stop at the first status bit that is set, so that nothing runs past a
// failed exchange.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/exchange_list.h"
#include "ocd/answers.h"
#include "ocd/session.h"

// One exchange at the end of a scan list, its instruction scanned first
// where the instruction register (held in ir) holds another.
void append_scan(std::string& out, const exchange& e, uint8_t& ir);

struct scan_queue {
    std::string scans;        // the waiting exchanges as a scan list (ocd/tcl_scripts.cpp)
    int data_scans = 0;       // how many of them are data scans
    bool strict = true;       // their status bits count
    bool last_is_write = false; // the last exchange sent or waiting wrote: its status shows only at the next capture
    long long exchanges = 0;  // every exchange of the run
};

// The exchanges as a scan list, an instruction scan wherever the
// instruction register (held in ir) holds another instruction.
template <typename Exchanges>
std::string scan_list_of(const Exchanges& list, uint8_t& ir)
{
    std::string out;
    for (const exchange& e : list)
        append_scan(out, e, ir);
    return out;
}

// An exchange that writes: it waits, unless the queue is full.
void queue_write(ocd_session& session, scan_queue& queue, const exchange& e);

// An exchange that reads: what waits goes first, then the read; its result.
uint32_t queue_read(ocd_session& session, scan_queue& queue, const exchange& e);

// Sends what waits (before a pause, a reset line, the end).
void queue_flush(ocd_session& session, scan_queue& queue);

// A read repeated inside OpenOCD until its result masked is rule.value, or
// it has a bit of rule.also set, or rule.count reads (0: any) or rule.limit_ms
// have passed; every rule.every_ms (0: at once). What waits goes first.
struct repeat_rule {
    uint32_t mask;
    uint32_t value;
    uint32_t also;
    int every_ms;
    int limit_ms;
    int count;
};
struct repeat_result {
    long reads;     // reads made
    uint32_t last;  // what the last one read
};
repeat_result queue_repeat(ocd_session& session, scan_queue& queue, const exchange_list& read, const repeat_rule& rule);

// The exchanges of first once, then those of repeated count times inside
// OpenOCD; what every read among them read, in order. What waits goes first.
std::vector<uint32_t> queue_collect(ocd_session& session, scan_queue& queue, const exchange_list& first,
                                    const std::vector<exchange>& repeated, int count);

// An SVF file played by OpenOCD's player, what waits and the status of the
// last write going first. The player resets the TAP before its first scan:
// the file must bring the core back to where it was.
scan_answer queue_play(ocd_session& session, scan_queue& queue, const std::string& svf, int answer_ms);
