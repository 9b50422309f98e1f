// SPDX-License-Identifier: MIT
#include "ocd/read_words.h"

#include <algorithm>
#include <vector>

#include "flash/flash_bus.h"
#include "ocd/walking_cycles.h"

namespace {

// Pairs of words a request reads: an answer of some 18 KB, half a second of
// an adapter's round trips on loopback.
constexpr uint32_t pairs_per_request = 2048;

} // namespace

void ocd_read_words(ocd_link& link, uint32_t address, uint32_t count, uint16_t* out)
{
    // A word before the first aligned pair, and one after the last, alone.
    if (count > 0 && (address & 3) != 0) {
        *out++ = flash_read16(address);
        address += 2;
        --count;
    }
    while (count >= 2) {
        const uint32_t pairs = std::min(count / 2, pairs_per_request);
        // r1 just below the first pair, each load four bytes on.
        walker r1;
        const exchange_list first = seat(r1, address - 4);
        const exchange_list repeated = walk(r1, {cycle_kind::load32, address, 0, {}});
        const std::vector<uint32_t> values =
            queue_collect(link.session, link.queue, first, repeated, static_cast<int>(pairs));
        for (uint32_t v : values) {
            *out++ = static_cast<uint16_t>(v >> 16); // the lower address in the high half
            *out++ = static_cast<uint16_t>(v);
        }
        address += 4 * pairs;
        count -= 2 * pairs;
    }
    if (count == 1)
        *out = flash_read16(address);
}
