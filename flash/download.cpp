// SPDX-License-Identifier: MIT
#include "flash/download.h"

#include <cstdio>

#include "flash/commands.h"
#include "flash/flash_cycles.h"
#include "flash/image_plan.h"
#include "flash/progress.h"
#include "flash/word_loops.h"
#include "platform/system.h"

int32_t words_programmed = 0;

void program_failed()
{
    std::printf("failed.\nRetry after reboot Box.\n");
    platform_exit(-1);
}

bool polling_done(poll_verdict verdict)
{
    if (verdict == poll_verdict::failed)
        program_failed();
    return verdict == poll_verdict::programmed;
}

void wait_for_program(uint32_t address, uint16_t word)
{
    program_poll poll{word};
    while (!polling_done(judge_poll(poll, static_cast<uint16_t>(run_bus_cycle(program_poll_cycle(address, word))))))
        continue;
}

void flash_program_pair(uint32_t address, uint16_t word)
{
    run_bus_cycle(program_pair_cycle(address, word));
}

void download_word(int32_t i)
{
    const uint16_t word = image_word_at(*planned_image, i);
    if (word == erased_word)
        return;
    const uint32_t address = planned_word_address(i);
    flash_program_pair(address, word);
    wait_for_program(address, word);
    ++words_programmed;
}

void download_each_word()
{
    for (int32_t i = 0; i < planned_image->words; ++i) {
        progress_line("Downloading.", i, planned_image->words);
        download_word(i);
    }
}

void flash_download()
{
    flash_reset();
    flash_command(command_unlock_bypass);
    download_words();
    // The chip stays in unlock-bypass mode; the verify starts with a reset.
}
