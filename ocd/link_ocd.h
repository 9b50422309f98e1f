// SPDX-License-Identifier: MIT
// The debug exchange, the reset group and the TAP reset carried by OpenOCD's
// Tcl server. Exchanges whose result nobody reads wait in a batch that goes
// out at the end of a target operation; an answer that is all right is empty,
// so that OpenOCD's log stays quiet. The long loops of the flash steps hand
// their exchanges to OpenOCD in bulk: they capture them here as scans (see
// ocd/svf_batch.h, ocd/batch_loops.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where OpenOCD listens and which TAP is the box's (empty: the only one).
// Nothing is sent until the run first needs the link.
void ocd_link_configure(const std::string& host, int port, const std::string& tap);

// Sends what is waiting; used before a pause.
void ocd_link_flush();

// The end of the run: what waits is sent (unless the run failed), the claim
// on OpenOCD given back, the connection closed.
void ocd_link_close();

// Exit status of a link that cannot start: OpenOCD absent, held by another
// run, its TAP or reset not the box's, its adapter gone.
constexpr int status_no_openocd = 1;

// What the run cost: requests to OpenOCD, debug exchanges, scans in bulk.
long long ocd_link_requests();
long long ocd_link_exchanges();

// One JTAG scan as the link makes it of an exchange: an instruction scan (7
// bits), a data scan (32 data bits and the final bit in; the result and the
// status bit out), or TCK clocks spent in Run-Test/Idle.
struct ocd_scan {
    enum kind_t : uint8_t { instruction, data, idle } kind;
    uint32_t value; // the instruction, the data word, or the clocks
    bool final_bit;
    bool status_checked;  // data scan whose status bit must read clear
    uint32_t expect_mask; // result bits that must equal expect_value
    uint32_t expect_value;
};

// Between begin and end the exchanges are kept as scans, not sent, and their
// results read 0. The first one scans its instruction (a batch starts after
// a TAP reset).
void ocd_capture_begin();
std::vector<ocd_scan> ocd_capture_end();

// Scans captured since begin.
size_t ocd_captured_count();

// The last captured data scan's result must be value under mask.
void ocd_capture_expect(uint32_t value, uint32_t mask);

// Clocks in Run-Test/Idle after what was captured so far.
void ocd_capture_idle(uint32_t clocks);

// The next read of the run is expected to give value under mask: its answer
// is empty when it does (and the read returns value).
void ocd_expect_next_read(uint32_t value, uint32_t mask);

// Runs captured scans (a read) inside OpenOCD, again every every_ms (0: at
// once), until the last result masked equals value (true), or it has a bit of
// also set, or limit_ms or count runs (0: any) have passed (false, with the
// last result and the runs made).
struct repeat_rule {
    uint32_t mask;
    uint32_t value;
    uint32_t also;
    int every_ms;
    int limit_ms;
    int count;
};
bool ocd_repeat_until(const std::vector<ocd_scan>& scans, const repeat_rule& rule, uint32_t& last, int& runs);

// Plays captured scans as one batch in OpenOCD's SVF player. true when every
// check passed; false with the index in scans of the first scan whose check
// failed (-1 when OpenOCD did not say) and its result when OpenOCD said.
struct batch_failure {
    long scan = -1;
    bool result_known = false;
    uint64_t result = 0; // status bit 32, data 31..0
};
bool ocd_play_batch(const std::vector<ocd_scan>& scans, batch_failure& failure);

// A stop asked for by a signal, seen between requests: the run ends there.
[[noreturn]] void ocd_stop();
