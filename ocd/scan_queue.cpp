// SPDX-License-Identifier: MIT
#include "ocd/scan_queue.h"

#include <cstdio>

#include "link/debug_exchange.h"

namespace {

constexpr int batch_limit = 64; // data scans a request carries at most, whatever its callers do
constexpr int bulk_answer_ms = 10000;
constexpr int bulk_ms_per_scan = 2; // room for a slow adapter

scan_answer parsed(ocd_session& session, const std::string& text, scan_answer::kind_t kind,
                   scan_answer::kind_t other)
{
    scan_answer answer;
    std::string error;
    if (!parse_scan_answer(text, answer, error))
        session_lost(session, error);
    session.box_touched = true;
    // A set status bit in what went first or in the scans: the link failed.
    if (answer.kind == scan_answer::status || answer.kind == scan_answer::first_status)
        link_failure();
    if (answer.kind != kind && answer.kind != other)
        session_lost(session, answer_error(text));
    return answer;
}

// What waits, taken out of the queue.
std::string take_waiting(scan_queue& queue)
{
    std::string scans = std::move(queue.scans);
    queue.scans.clear();
    queue.data_scans = 0;
    return scans;
}

uint32_t send(ocd_session& session, scan_queue& queue)
{
    const int scans = queue.data_scans;
    const std::string request = "vexload_do " + session.tap + (queue.strict ? " 1 {" : " 0 {") + take_waiting(queue) + "}";
    const scan_answer answer = parsed(session, session_request(session, request, bulk_answer_ms + bulk_ms_per_scan * scans),
                                      scan_answer::ok, scan_answer::ok);
    return answer.data.value_or(0);
}

void add(ocd_session& session, scan_queue& queue, const exchange& e)
{
    // A request's scans share one rule for their status bits.
    const bool strict = ignore_link_status == 0;
    if (queue.data_scans > 0 && strict != queue.strict)
        send(session, queue);
    queue.strict = strict;
    append_scan(queue.scans, e, ir_cache);
    ++queue.data_scans;
    ++queue.exchanges;
    queue.last_is_write = e.final_bit;
}

} // namespace

void append_scan(std::string& out, const exchange& e, uint8_t& ir)
{
    char text[48];
    if (instruction_scan_needed(ir, e.instruction)) {
        std::snprintf(text, sizeof text, "{i 0x%02X} ", static_cast<unsigned>(e.instruction));
        out += text;
    }
    std::snprintf(text, sizeof text, "{d 0x%08X %d} ", static_cast<unsigned>(e.data), e.final_bit ? 1 : 0);
    out += text;
}

// The answer of a request that gives one of two kinds (the same twice where one).
void queue_write(ocd_session& session, scan_queue& queue, const exchange& e)
{
    add(session, queue, e);
    if (queue.data_scans >= batch_limit)
        send(session, queue);
}

uint32_t queue_read(ocd_session& session, scan_queue& queue, const exchange& e)
{
    add(session, queue, e);
    return send(session, queue);
}

void queue_flush(ocd_session& session, scan_queue& queue)
{
    if (queue.data_scans > 0 && !session.ending)
        send(session, queue);
}

repeat_result queue_repeat(ocd_session& session, scan_queue& queue, const exchange_list& read, const repeat_rule& rule)
{
    // Each read scans its instruction first: it is run again and again.
    uint8_t ir = ir_none;
    const std::string scans = scan_list_of(read, ir);
    queue.exchanges += read.count;
    const std::string request = "vexload_until " + session.tap + " {" + take_waiting(queue) + "} {" + scans + "} " +
                                std::to_string(rule.mask) + " " + std::to_string(rule.value & rule.mask) + " " +
                                std::to_string(rule.also) + " " + std::to_string(rule.every_ms) + " " +
                                std::to_string(rule.limit_ms) + " " + std::to_string(rule.count);
    const scan_answer answer = parsed(session, session_request(session, request, rule.limit_ms + bulk_answer_ms),
                                      scan_answer::repeated, scan_answer::repeated);
    ir_cache = ir;
    queue.last_is_write = false;
    return {answer.reads, *answer.data};
}

std::vector<uint32_t> queue_collect(ocd_session& session, scan_queue& queue, const exchange_list& first,
                                    const std::vector<exchange>& repeated, int count)
{
    for (const exchange& e : first)
        add(session, queue, e);
    // Each repetition scans its instruction first: it is run again and again.
    uint8_t ir = ir_none;
    const std::string scans = scan_list_of(repeated, ir);
    const auto per_count = static_cast<int>(repeated.size());
    int reads = 0;
    for (const exchange& e : repeated)
        reads += !e.final_bit;
    queue.exchanges += static_cast<long long>(per_count) * count;
    const std::string request = "vexload_collect " + session.tap + " {" + take_waiting(queue) + "} {" + scans + "} " +
                                std::to_string(count);
    const int answer_ms = bulk_answer_ms + bulk_ms_per_scan * per_count * count;
    scan_answer answer =
        parsed(session, session_request(session, request, answer_ms), scan_answer::values, scan_answer::values);
    if (answer.collected.size() != static_cast<size_t>(reads) * count)
        session_lost(session, answer_error(std::to_string(answer.collected.size()) + " values for " +
                                           std::to_string(reads * count) + " reads"));
    ir_cache = ir;
    queue.last_is_write = false;
    return std::move(answer.collected);
}

scan_answer queue_play(ocd_session& session, scan_queue& queue, const std::string& svf, int answer_ms)
{
    // The player's reset of the TAP clears the debug unit's record of a
    // failure: a last write's status is read before it.
    if (queue.last_is_write)
        add(session, queue, data_read_exchange());
    const std::string request = "vexload_svf " + session.tap + " {" + take_waiting(queue) + "} {" + svf + "}";
    const scan_answer answer = parsed(session, session_request(session, request, bulk_answer_ms + answer_ms),
                                      scan_answer::passed, scan_answer::failed);
    // The player leaves the instruction register as its file left it.
    ir_cache = ir_none;
    queue.last_is_write = false;
    return answer;
}
