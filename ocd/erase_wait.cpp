// SPDX-License-Identifier: MIT
// The erase's wait through OpenOCD: the read of the sector's first word,
// repeated inside OpenOCD until it reads erased.
#include <algorithm>
#include <chrono>

#include "flash/erase.h"
#include "flash/flash_cycles.h"
#include "flash/identify.h"
#include "flash/word_loops.h"
#include "ocd/exchange_ocd.h"

namespace {

constexpr int erase_request_ms = 2000; // a request waits at most this long

} // namespace

void erase_wait(int32_t sector, uint32_t address)
{
    ocd_link& link = open_link();
    link.session.step = run_step::erasing;
    const bus_cycle read = word_check_cycle(address, erased_word);
    const exchange_list scans = exchanges_of(read);
    using steady = std::chrono::steady_clock;
    const steady::time_point start = steady::now();
    const auto bound = std::chrono::seconds(erase_wait_limit_s);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(bound - (steady::now() - start));
        const int limit = static_cast<int>(std::clamp<long long>(left.count(), 0, erase_request_ms));
        const repeat_rule rule{read.expect.mask, read.expect.value, 0, static_cast<int>(link.erase_poll_ms), limit, 0};
        if (answer_shows(read.expect, queue_repeat(link.session, link.queue, scans, rule).last))
            return;
        if (steady::now() - start >= bound)
            erase_timed_out(sector, address);
    }
}
