// SPDX-License-Identifier: MIT
// The download in batches: each word is the tool's own program pair and its
// first data-polling read. A batch whose check fails is taken up word by
// word from the word the check names, with the tool's own data polling.
#include <algorithm>

#include "flash/download.h"
#include "flash/flash_bus.h"
#include "flash/flash_cycles.h"
#include "flash/image_plan.h"
#include "flash/word_loops.h"
#include "link/debug_exchange.h"
#include "ocd/batches.h"

namespace {

// OpenOCD's player runs up to 512 queued scans before it checks them, so a
// failed check may be followed by some 30 words' scans run blind; the words
// this far past it are taken up one by one before batches go on.
constexpr int32_t blind_words = 64;
constexpr int poll_request_ms = 10000;

// Clocks in Run-Test/Idle between a word's program and its poll, from the
// first word still busy at its first poll on: a fast adapter polls before the
// chip can be done. They spare a fallback; they confirm nothing.
struct settle_rule {
    uint32_t first;
    uint32_t factor; // raised by it after every such word
    uint32_t most;
};
constexpr settle_rule settle{64, 4, 16384};

uint16_t word_at(int32_t i)
{
    return image_word_at(*planned_image, i);
}

// Data polling of word i goes on inside OpenOCD, reads repeated up to the
// first that decides, each judged as the tool's own polling judges it.
void poll_on(ocd_link& link, int32_t i, program_poll poll)
{
    const uint32_t address = planned_word_address(i);
    const exchange_list read = exchanges_of(program_poll_cycle(address, poll.word));
    for (;;) {
        const repeat_rule rule{status_dq7, poll.word, status_dq5, 0, poll_request_ms, polls_left(poll)};
        const repeat_result r = queue_repeat(link.session, link.queue, read, rule);
        // Every read before the last found the word busy, DQ5 clear.
        poll.busy_reads += static_cast<int32_t>(r.reads - 1);
        if (polling_done(judge_poll(poll, static_cast<uint16_t>(r.last))))
            return;
    }
}

// A read of word i that found it busy or done, judged; polling goes on where it must.
void poll_from(ocd_link& link, int32_t i, program_poll poll, uint16_t read)
{
    if (!polling_done(judge_poll(poll, read)))
        poll_on(link, i, poll);
}

// A word past a failed check, as a read finds it: programmed, erased
// (programmed now), or still busy (its poll goes on).
void take_up_word(ocd_link& link, int32_t i)
{
    const uint16_t word = word_at(i);
    if (word == erased_word)
        return;
    const uint32_t address = planned_word_address(i);
    const uint16_t read = flash_read16(address);
    if (read == word)
        return;
    if (read == erased_word) {
        flash_program_pair(address, word);
        poll_on(link, i, program_poll{word});
        return;
    }
    // Its program and a first poll went out in the batch: this read is its second.
    poll_from(link, i, program_poll{word, 1}, read);
}

// Words from first on, one by one, up to most programmed ones or end; the
// index after the last.
int32_t take_up_words(ocd_link& link, int32_t first, int32_t end, progress& p, int32_t most)
{
    int32_t programmed = 0;
    int32_t i = first;
    for (; i < end && programmed < most; ++i) {
        p.up_to(i);
        if (word_at(i) == erased_word)
            continue;
        ++programmed;
        take_up_word(link, i);
        ++words_programmed;
    }
    return i;
}

// Words [first, end) in one batch; the index the next batch starts at.
// settle_clocks: Run-Test/Idle clocks between a word's program and its poll.
int32_t download_batch(ocd_link& link, uint32_t& settle_clocks, int32_t first, int32_t end, progress& p)
{
    batch b = batch_from(first);
    int32_t words = 0;
    for (int32_t i = first; i < end; ++i) {
        const uint16_t word = word_at(i);
        if (word == erased_word)
            continue;
        const uint32_t address = planned_word_address(i);
        add_cycle(b, program_pair_cycle(address, word), i);
        add_cycle(b, program_poll_cycle(address, word), i, settle_clocks);
        ++words;
    }
    const batch_outcome outcome = words > 0 ? play_batch(link, b) : batch_outcome{};
    if (outcome.passed) {
        words_programmed += words;
        p.up_to(end - 1);
        return end;
    }
    // Not named: every word of the batch, one by one.
    if (!outcome.word)
        return take_up_words(link, first, end, p, end - first);
    const int32_t failed = *outcome.word;
    p.up_to(failed);
    if (outcome.status_failed)
        link_failure();
    // The word's first poll found it busy: polling goes on as it would have.
    if (outcome.read)
        poll_from(link, failed, program_poll{word_at(failed)}, static_cast<uint16_t>(*outcome.read));
    else
        poll_on(link, failed, program_poll{word_at(failed), 1});
    ++words_programmed;
    // Programmed after all, only later than its first poll.
    settle_clocks = std::min(settle.most, std::max(settle.first, settle.factor * settle_clocks));
    return take_up_words(link, failed + 1, end, p, blind_words);
}

} // namespace

void download_words()
{
    ocd_link& link = open_link();
    link.session.step = run_step::downloading;
    if (!link.batches) {
        download_each_word();
        link.session.step = run_step::downloaded;
        return;
    }
    uint32_t settle_clocks = 0;
    run_batches("Downloading.", planned_image->words, [&](int32_t first, int32_t end, progress& p) {
        return download_batch(link, settle_clocks, first, end, p);
    });
    link.session.step = run_step::downloaded;
}
