// SPDX-License-Identifier: MIT
#include "flash/download.h"

#include <cstdio>

#include "board/board_init.h"
#include "flash/commands.h"
#include "flash/flash_bus.h"
#include "flash/placement.h"
#include "flash/progress.h"
#include "images/catalogue.h"
#include "link/debug_exchange.h"
#include "platform/system.h"
#include "target/memory.h"

namespace {

constexpr uint16_t erased_word = 0xFFFF;
constexpr uint16_t dq7 = 0x80; // data polling: complement of the data bit while busy
constexpr uint16_t dq5 = 0x20; // the chip's internal time limit was exceeded
constexpr int32_t poll_limit = 100;

[[noreturn]] void program_failed()
{
    std::printf("failed.\nRetry after reboot Box.\n");
    platform_exit(-1);
}

bool dq7_done(uint16_t read, uint16_t word)
{
    return ((read ^ word) & dq7) == 0;
}

// Data polling of one programmed word; a word that does not finish ends the run.
void wait_for_program(uint32_t address, uint16_t word)
{
    for (int32_t polls = 0;;) {
        const uint16_t read = flash_read16(address);
        if (dq7_done(read, word))
            return;
        // DQ5 may rise just as the program completes: one more read decides.
        if ((read & dq5) != 0) {
            if (dq7_done(flash_read16(address), word))
                return;
            program_failed();
        }
        if (++polls > poll_limit)
            program_failed();
    }
}

} // namespace

// The 32-bit store reaches the 16-bit bus as two cycles in ascending order:
// the bypass program command at address - 2 (the chip takes it at any
// address), then the data word at address.
void flash_program_pair(uint32_t address, uint16_t word)
{
    // Sent with the first poll: a word done by then costs one batch.
    dbg_operation_joins_next();
    mem_write32(address - 2, uint32_t{command_bypass_program} << 16 | word);
}

void flash_download(int32_t model_code)
{
    const image_entry* image = select_image(model_code);
    if (image == nullptr) {
        std::printf("Unknown model:%d\n", model_code);
        return;
    }
    const uint32_t start = image_address(image->words);
    if (start == 0) {
        std::printf("Image of %d words does not fit the flash\n", image->words);
        return;
    }

    flash_reset();
    flash_command(command_unlock_bypass);
    for (int32_t i = 0; i < image->words; ++i) {
        progress_line("Downloading.", i, image->words);
        const uint16_t word = image_word_at(*image, i);
        if (word == erased_word)
            continue;
        const uint32_t address = start + 2 * static_cast<uint32_t>(i);
        flash_program_pair(address, word);
        wait_for_program(address, word);
    }
    // The chip stays in unlock-bypass mode; the verify starts with a reset.
}
