// SPDX-License-Identifier: MIT
#include "flash/verify.h"

#include <cstdio>

#include "flash/commands.h"
#include "flash/placement.h"
#include "flash/progress.h"
#include "flash/flash_bus.h"
#include "images/catalogue.h"

// Every word is compared, erased ones included: the download skipped those.
int flash_verify(int32_t model_code)
{
    const image_entry* image = select_image(model_code);
    if (image == nullptr) {
        std::printf("Unknown model:%d\n", model_code);
        return -1;
    }
    const uint32_t start = image_address(image->words);
    if (start == 0) {
        std::printf("Image of %d words does not fit the flash\n", image->words);
        return -1;
    }

    flash_reset(); // out of unlock-bypass mode into read mode
    for (int32_t i = 0; i < image->words; ++i) {
        progress_line("Checking.", i, image->words);
        const uint32_t address = start + 2 * static_cast<uint32_t>(i);
        const uint16_t expected = image_word_at(*image, i);
        if (flash_read16(address) == expected)
            continue;
        // The second read is the one reported.
        const uint16_t read = flash_read16(address);
        std::printf(" error(0x%04X, 0x%04X)\n", read, expected);
        std::fflush(stdout);
        return -1;
    }
    return 0;
}
