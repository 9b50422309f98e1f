// SPDX-License-Identifier: MIT
#include "flash/download.h"

#include <cstdio>

#include "flash/commands.h"
#include "flash/flash_bus.h"
#include "flash/image_plan.h"
#include "flash/word_loops.h"
#include "link/debug_exchange.h"
#include "platform/system.h"
#include "target/memory.h"

namespace {

bool dq7_done(uint16_t read, uint16_t word)
{
    return ((read ^ word) & status_dq7) == 0;
}

} // namespace

void program_failed()
{
    std::printf("failed.\nRetry after reboot Box.\n");
    platform_exit(-1);
}

void wait_for_program(uint32_t address, uint16_t word, int32_t polls, std::optional<uint16_t> taken)
{
    for (;;) {
        const uint16_t read = taken ? *taken : flash_read16(address);
        taken.reset();
        if (dq7_done(read, word))
            return;
        // DQ5 may rise just as the program completes: one more read decides.
        if ((read & status_dq5) != 0) {
            if (dq7_done(flash_read16(address), word))
                return;
            program_failed();
        }
        if (++polls > poll_limit)
            program_failed();
    }
}

// The 32-bit store reaches the 16-bit bus as two cycles in ascending order:
// the bypass program command at address - 2 (the chip takes it at any
// address), then the data word at address.
void flash_program_pair(uint32_t address, uint16_t word)
{
    // Sent with the first poll: a word done by then costs one batch.
    dbg_operation_joins_next();
    mem_write32(address - 2, uint32_t{command_bypass_program} << 16 | word);
}

void download_word(int32_t i)
{
    const uint16_t word = image_word_at(*planned_image, i);
    if (word == erased_word)
        return;
    const uint32_t address = planned_word_address(i);
    flash_program_pair(address, word);
    wait_for_program(address, word);
}

void flash_download()
{
    flash_reset();
    flash_command(command_unlock_bypass);
    download_words();
    // The chip stays in unlock-bypass mode; the verify starts with a reset.
}
