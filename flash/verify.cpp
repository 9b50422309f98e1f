// SPDX-License-Identifier: MIT
#include "flash/verify.h"

#include <cstdio>

#include "flash/commands.h"
#include "flash/flash_bus.h"
#include "flash/image_plan.h"
#include "flash/word_loops.h"

// Every word is compared, erased ones included: the download skipped those.
int verify_word(int32_t i)
{
    const uint32_t address = planned_word_address(i);
    const uint16_t expected = image_word_at(*planned_image, i);
    if (flash_read16(address) == expected)
        return 0;
    // The second read is the one reported.
    const uint16_t read = flash_read16(address);
    std::printf(" error(0x%04X, 0x%04X)\n", read, expected);
    std::fflush(stdout);
    return -1;
}

int flash_verify()
{
    flash_reset(); // out of unlock-bypass mode into read mode
    return verify_words();
}
