// SPDX-License-Identifier: MIT
// The flash steps' loops through OpenOCD: the download and the verify go out
// in batches of words, each one SVF file that OpenOCD's player queues and
// checks as it goes; a batch whose check fails is taken up word by word with
// the tool's own algorithm from the word the check names. The erase's wait
// repeats its read inside OpenOCD. What the run prints is what it prints word
// by word: a progress line once the words before it are confirmed.
#include "ocd/batch_loops.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

#include "flash/commands.h"
#include "flash/download.h"
#include "flash/erase.h"
#include "flash/flash_bus.h"
#include "flash/identify.h"
#include "flash/image_plan.h"
#include "flash/progress.h"
#include "flash/verify.h"
#include "flash/word_loops.h"
#include "link/debug_exchange.h"
#include "ocd/link_ocd.h"
#include "ocd/run_step.h"
#include "target/memory.h"

uint32_t erase_poll_ms = 50;

namespace {

// Four progress blocks a batch: a file of some hundred kilobytes, and one
// line of OpenOCD's log ("svf processing file") for every 4096 words.
constexpr int32_t batch_words = 4096;

// OpenOCD's player runs up to 512 queued scans before it checks them, so a
// failed check may be followed by some 30 words' scans run blind; the words
// this far past it are taken up one by one before batches go on.
constexpr int32_t blind_words = 64;

// Clocks in Run-Test/Idle between a word's program and its poll, from the
// first word still busy at its first poll on: a fast adapter polls before the
// chip can be done. They spare a fallback; they confirm nothing.
struct settle_rule {
    uint32_t first;
    uint32_t factor; // raised by it after every such word
    uint32_t most;
};
constexpr settle_rule settle{64, 4, 16384};
uint32_t settle_clocks = 0;

bool last_found_erased = false;
constexpr uint32_t word_mask = 0xFFFF;

uint16_t word_at(int32_t i)
{
    return image_word_at(*planned_image, i);
}

// The progress line of every index up to one, each evaluated once.
struct progress {
    const char* title;
    int32_t count;
    int32_t evaluated = -1;

    void up_to(int32_t index)
    {
        for (; evaluated < index; ++evaluated)
            progress_line(title, evaluated + 1, count);
    }
};

// A batch's words as scans, and for each scan the word it belongs to.
struct batch {
    std::vector<ocd_scan> scans;
    std::vector<int32_t> word_of_scan;

    void take(int32_t word, size_t before)
    {
        word_of_scan.resize(before, word);
    }
};

// The check that failed was a status bit (the link), not a word's value.
bool status_failed(const batch& b, const batch_failure& f)
{
    constexpr uint64_t status_bit = uint64_t{1} << 32;
    if (f.result_known)
        return (f.result & status_bit) != 0;
    return b.scans[static_cast<size_t>(f.scan)].expect_mask == 0;
}

std::vector<ocd_scan> read_scans(uint32_t address)
{
    ocd_capture_begin();
    flash_read16(address);
    return ocd_capture_end();
}

// Data polling of word i, taken up after its batch, as the tool's own polling
// would go on: polls busy reads made already, taken the next one when known;
// the reads that follow are repeated inside OpenOCD up to the first that
// decides, which the tool's rule then judges.
void poll_on(int32_t i, int32_t polls, std::optional<uint16_t> taken)
{
    constexpr int poll_request_ms = 10000;
    const uint16_t word = word_at(i);
    const uint32_t address = planned_word_address(i);
    if (taken) {
        if (((*taken ^ word) & status_dq7) == 0 || (*taken & status_dq5) != 0) {
            wait_for_program(address, word, polls, taken);
            return;
        }
        ++polls;
    }
    const repeat_rule rule{status_dq7, word, status_dq5, 0, poll_request_ms, poll_limit + 1 - polls};
    uint32_t last = 0;
    int runs = 0;
    if (!ocd_repeat_until(read_scans(address), rule, last, runs))
        wait_for_program(address, word, polls + runs - 1, static_cast<uint16_t>(last));
}

// A word of the download as a check found it: done, erased (programmed now),
// still busy (polled on), or holding anything else (failed).
void take_up_word(int32_t i)
{
    const uint16_t word = word_at(i);
    if (word == erased_word)
        return;
    const uint32_t address = planned_word_address(i);
    // Words past a failed check come in runs, untouched or programmed: the
    // read is expected to find what the word before it held, and answers
    // quietly when it does.
    ocd_expect_next_read(last_found_erased ? erased_word : word, word_mask);
    const uint16_t read = flash_read16(address);
    last_found_erased = read == erased_word;
    if (read == word)
        return;
    if (read == erased_word) {
        flash_program_pair(address, word);
        poll_on(i, 0, std::nullopt);
        return;
    }
    // Its program and a first poll went out in the batch.
    if (((read ^ word) & status_dq7) != 0) {
        poll_on(i, 1, read);
        return;
    }
    program_failed();
}

// Words from first on, one by one, up to most programmed ones or the batch's
// end; the index after the last.
int32_t take_up_words(int32_t first, int32_t end, progress& p, int32_t most)
{
    int32_t programmed = 0;
    int32_t i = first;
    for (; i < end && programmed < most; ++i) {
        p.up_to(i);
        programmed += word_at(i) != erased_word;
        take_up_word(i);
    }
    return i;
}

// Words [first, end) in one batch; the index the next batch starts at. A
// word is the bus cycles of the tool's own program pair and its first poll,
// made through r1 as a moving address: three exchanges for the store, three
// for the poll.
int32_t download_batch(int32_t first, int32_t end, progress& p)
{
    batch b;
    ocd_capture_begin();
    bool streaming = false;
    uint32_t at = 0; // r1: where the last pair was stored
    for (int32_t i = first; i < end; ++i) {
        const uint16_t word = word_at(i);
        if (word == erased_word)
            continue;
        // Bypass program command at address - 2, the word at address.
        const uint32_t pair = planned_word_address(i) - 2;
        if (!streaming) {
            at = pair - 2;
            mem_stream_from(at);
            streaming = true;
        }
        mem_store32_next(static_cast<int16_t>(pair - at), uint32_t{command_bypass_program} << 16 | word);
        at = pair;
        ocd_capture_idle(settle_clocks);
        mem_load16_at(2);
        ocd_capture_expect(word, status_dq7);
        b.take(i, ocd_captured_count());
    }
    b.scans = ocd_capture_end();
    batch_failure failure;
    if (b.scans.empty() || ocd_play_batch(b.scans, failure)) {
        p.up_to(end - 1);
        return end;
    }
    // Not named: every word of the batch, one by one.
    if (failure.scan < 0)
        return take_up_words(first, end, p, end - first);
    const int32_t failed = b.word_of_scan[static_cast<size_t>(failure.scan)];
    p.up_to(failed);
    if (status_failed(b, failure))
        link_failure();
    // The word's first poll found it busy: polling goes on as it would have.
    if (failure.result_known)
        poll_on(failed, 0, static_cast<uint16_t>(failure.result));
    else
        poll_on(failed, 1, std::nullopt);
    // Programmed after all, only later than its first poll.
    settle_clocks = std::min(settle.most, std::max(settle.first, settle.factor * settle_clocks));
    return take_up_words(failed + 1, end, p, blind_words);
}

// Words [first, end) read back in one batch; the index the next batch starts
// at, or -1 after a mismatch's text. Two words at a time where they share an
// aligned 32-bit word (the high half at the lower address, as the bus puts
// them): three exchanges for two words.
int32_t verify_batch(int32_t first, int32_t end, progress& p)
{
    batch b;
    ocd_capture_begin();
    uint32_t at = planned_word_address(first) - 2; // r1
    mem_stream_from(at);
    for (int32_t i = first; i < end;) {
        const uint32_t address = planned_word_address(i);
        const int16_t step = static_cast<int16_t>(address - at);
        at = address;
        if ((address & 3) == 0 && i + 1 < end) {
            mem_load32_next(step);
            ocd_capture_expect(uint32_t{word_at(i)} << 16 | word_at(i + 1), 0xFFFFFFFF);
            b.take(i, ocd_captured_count());
            i += 2;
        } else {
            mem_load16_next(step);
            ocd_capture_expect(word_at(i), word_mask);
            b.take(i, ocd_captured_count());
            ++i;
        }
    }
    b.scans = ocd_capture_end();
    batch_failure failure;
    if (ocd_play_batch(b.scans, failure)) {
        p.up_to(end - 1);
        return end;
    }
    // Not named: every word of the batch again, one by one.
    const int32_t failed = failure.scan < 0 ? first : b.word_of_scan[static_cast<size_t>(failure.scan)];
    const int32_t last = failure.scan < 0 ? end - 1 : failed;
    if (failure.scan >= 0 && status_failed(b, failure)) {
        p.up_to(failed);
        link_failure();
    }
    for (int32_t i = failed; i <= last; ++i) {
        p.up_to(i);
        if (verify_word(i) != 0)
            return -1;
    }
    return last + 1;
}

int32_t batch_end(int32_t first, int32_t count)
{
    return std::min(count, (first / batch_words + 1) * batch_words);
}

// Batch after batch over the planned image under title; -1 once a batch
// gives -1.
int batches(const char* title, int32_t (*batch)(int32_t first, int32_t end, progress& p))
{
    progress p{title, planned_image->words};
    for (int32_t i = 0; i < planned_image->words;) {
        p.up_to(i);
        i = batch(i, batch_end(i, planned_image->words), p);
        if (i < 0)
            return -1;
    }
    return 0;
}

} // namespace

void download_words()
{
    ocd_step = run_step::downloading;
    batches("Downloading.", download_batch);
    ocd_step = run_step::downloaded;
}

int verify_words()
{
    ocd_step = run_step::checking;
    return batches("Checking.", verify_batch);
}

// The read of the sector's first word, repeated inside OpenOCD until it reads
// erased; a request waits at most erase_request_ms, the sector the identified chip's erase bound.
void erase_wait(int32_t sector, uint32_t address)
{
    constexpr int erase_request_ms = 2000;
    ocd_step = run_step::erasing;
    const std::vector<ocd_scan> read = read_scans(address);
    using steady = std::chrono::steady_clock;
    const steady::time_point start = steady::now();
    const auto bound = std::chrono::seconds(erase_wait_limit_s);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(bound - (steady::now() - start));
        const int limit = static_cast<int>(std::clamp<long long>(left.count(), 0, erase_request_ms));
        const repeat_rule rule{word_mask, erased_word, 0, static_cast<int>(erase_poll_ms), limit, 0};
        uint32_t last = 0;
        int runs = 0;
        if (ocd_repeat_until(read, rule, last, runs))
            return;
        if (steady::now() - start >= bound)
            erase_timed_out(sector, address);
    }
}
