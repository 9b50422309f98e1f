// SPDX-License-Identifier: MIT
// The flash steps' loops over a link that carries every exchange as it comes:
// one word, one read, one pause after another.
#include "flash/download.h"
#include "flash/erase.h"
#include "flash/flash_cycles.h"
#include "flash/identify.h"
#include "flash/verify.h"
#include "flash/word_loops.h"
#include "platform/system.h"

namespace {

constexpr uint32_t erase_read_pause_ms = 1000;

} // namespace

void download_words()
{
    download_each_word();
}

int verify_words()
{
    return verify_each_word();
}

// The erased word reads 0xFFFF; while the chip erases it answers status bits.
void erase_wait(int32_t sector, uint32_t address)
{
    const bus_cycle read = word_check_cycle(address, erased_word);
    for (uint32_t waited_ms = 0; !answer_shows(read.expect, run_bus_cycle(read)); waited_ms += erase_read_pause_ms) {
        if (waited_ms >= erase_wait_limit_s * 1000u)
            erase_timed_out(sector, address);
        platform_sleep(erase_read_pause_ms);
    }
}
