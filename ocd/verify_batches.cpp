// SPDX-License-Identifier: MIT
// The verify in batches: the words read back two at a time where they share
// an aligned 32-bit word, each checked by OpenOCD's player; a batch whose
// check fails is read again word by word with the tool's own verify from the
// word the check names.
#include "flash/flash_cycles.h"
#include "flash/image_plan.h"
#include "flash/verify.h"
#include "flash/word_loops.h"
#include "link/debug_exchange.h"
#include "ocd/batches.h"

namespace {

uint16_t word_at(int32_t i)
{
    return image_word_at(*planned_image, i);
}

// Words [first, end) in one batch; the index the next batch starts at, or -1
// after a mismatch's text.
int32_t verify_batch(ocd_link& link, int32_t first, int32_t end, progress& p)
{
    batch b = batch_from(first);
    for (int32_t i = first; i < end;) {
        const uint32_t address = planned_word_address(i);
        if ((address & 3) == 0 && i + 1 < end) {
            add_cycle(b, two_word_check_cycle(address, word_at(i), word_at(i + 1)), i);
            i += 2;
        } else {
            add_cycle(b, word_check_cycle(address, word_at(i)), i);
            ++i;
        }
    }
    const batch_outcome outcome = play_batch(link, b);
    if (outcome.passed) {
        words_checked += end - first;
        p.up_to(end - 1);
        return end;
    }
    // Not named: every word of the batch again, one by one.
    const int32_t failed = outcome.word.value_or(first);
    const int32_t last = outcome.word ? failed : end - 1;
    if (outcome.status_failed) {
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

} // namespace

int verify_words()
{
    ocd_link& link = open_link();
    link.session.step = run_step::checking;
    if (!link.batches)
        return verify_each_word();
    return run_batches("Checking.", planned_image->words,
                       [&](int32_t first, int32_t end, progress& p) { return verify_batch(link, first, end, p); });
}
