// SPDX-License-Identifier: MIT
// The flash steps' loops over a link that carries every exchange as it comes:
// one word, one read, one pause after another.
#include "flash/download.h"
#include "flash/erase.h"
#include "flash/flash_bus.h"
#include "flash/identify.h"
#include "flash/image_plan.h"
#include "flash/progress.h"
#include "flash/verify.h"
#include "flash/word_loops.h"
#include "platform/system.h"

namespace {

constexpr uint32_t erase_poll_ms = 1000;

} // namespace

void download_words()
{
    for (int32_t i = 0; i < planned_image->words; ++i) {
        progress_line("Downloading.", i, planned_image->words);
        download_word(i);
    }
}

int verify_words()
{
    for (int32_t i = 0; i < planned_image->words; ++i) {
        progress_line("Checking.", i, planned_image->words);
        if (verify_word(i) != 0)
            return -1;
    }
    return 0;
}

// The erased word reads 0xFFFF; while the chip erases it answers status bits.
void erase_wait(int32_t sector, uint32_t address)
{
    for (uint32_t waited_ms = 0; flash_read16(address) != erased_word; waited_ms += erase_poll_ms) {
        if (waited_ms >= erase_wait_limit_s * 1000u)
            erase_timed_out(sector, address);
        platform_sleep(erase_poll_ms);
    }
}
