// SPDX-License-Identifier: MIT
#include "flash/verify.h"

#include <cstdio>

#include "flash/commands.h"
#include "flash/flash_cycles.h"
#include "flash/image_plan.h"
#include "flash/progress.h"
#include "flash/word_loops.h"

int32_t words_checked = 0;

// Every word is compared, erased ones included: the download skipped those.
int verify_word(int32_t i)
{
    const uint16_t expected = image_word_at(*planned_image, i);
    const bus_cycle read = word_check_cycle(planned_word_address(i), expected);
    if (answer_shows(read.expect, run_bus_cycle(read))) {
        ++words_checked;
        return 0;
    }
    // The second read is the one reported.
    const uint16_t second = static_cast<uint16_t>(run_bus_cycle(read));
    std::printf(" error(0x%04X, 0x%04X)\n", second, expected);
    std::fflush(stdout);
    return -1;
}

int verify_each_word()
{
    for (int32_t i = 0; i < planned_image->words; ++i) {
        progress_line("Checking.", i, planned_image->words);
        if (verify_word(i) != 0)
            return -1;
    }
    return 0;
}

int flash_verify()
{
    flash_reset(); // out of unlock-bypass mode into read mode
    return verify_words();
}
