// SPDX-License-Identifier: MIT
#include "ocd/batches.h"

#include <algorithm>

#include "flash/progress.h"
#include "link/debug_exchange.h"
#include "target/reset_and_halt.h"

namespace {

constexpr uint64_t status_bit = uint64_t{1} << 32;
constexpr int ms_per_step = 2; // room for a slow adapter

} // namespace

void progress::up_to(int32_t index)
{
    for (; evaluated < index; ++evaluated)
        progress_line(title, evaluated + 1, count);
}

batch batch_from(int32_t first_word)
{
    batch b;
    // Its status shows the failure of an operation before the reset, which
    // the status read before the file has seen.
    b.steps.push_back({{dbg_control, control_stay_halted, true, {}}, 0, false});
    b.word_of_step.push_back(first_word);
    return b;
}

void add_cycle(batch& b, const bus_cycle& cycle, int32_t word, uint32_t settle_clocks)
{
    const exchange_list list = walk(b.r1, cycle);
    for (const exchange& e : list) {
        b.steps.push_back({e, settle_clocks, true});
        b.word_of_step.push_back(word);
        settle_clocks = 0;
    }
}

batch_outcome play_batch(ocd_link& link, const batch& b)
{
    const svf_text svf = svf_of(b.steps);
    const scan_answer answer =
        queue_play(link.session, link.queue, svf.text, ms_per_step * static_cast<int>(b.steps.size()));
    batch_outcome outcome;
    if (answer.kind == scan_answer::passed)
        return outcome;
    outcome.passed = false;
    outcome.read = answer.read;
    const long line = answer.index;
    if (line < 1 || static_cast<size_t>(line) > svf.step_of_line.size() || svf.step_of_line[line - 1] < 0)
        return outcome;
    const size_t step = static_cast<size_t>(svf.step_of_line[line - 1]);
    outcome.word = b.word_of_step[step];
    outcome.status_failed = answer.read ? (*answer.read & status_bit) != 0 : b.steps[step].ex.expect.mask == 0;
    return outcome;
}

int32_t batch_end(int32_t first, int32_t count)
{
    return std::min(count, (first / batch_words + 1) * batch_words);
}
