// SPDX-License-Identifier: MIT
#include "sim/program/image_check.h"

#include <cstdint>

#include "app/run_sequence.h"
#include "images/catalogue.h"
#include "sim/core.h"
#include "sim/flash.h"

// The box starts what ends at its reset vector: the image belongs in the
// flash's last 2 × words bytes, whatever address the tool wrote it to. The
// bootloader sectors at the top of the flash are the box's download area; an
// image longer than they are reaches down into the sectors below them.
static_assert(uint64_t{sim::flash_window_base} + 2 * uint64_t{sim::flash_chip_words} ==
                  uint64_t{sim::core_reset_vector} + 4,
              "the boot flash ends with the reset vector");

namespace {

bool holds(const image_entry* image)
{
    if (image == nullptr || image->words < 2)
        return false;
    if (static_cast<size_t>(image->words) > sim::flash_chip_words)
        return false;
    const uint16_t* words = sim::flash_array() + (sim::flash_chip_words - static_cast<size_t>(image->words));
    for (int32_t i = 0; i < image->words; ++i)
        if (words[i] != image_word_at(*image, i))
            return false;
    return true;
}

} // namespace

// A served box is not told the model: any image of the catalogue will do.
bool image_in_flash()
{
    if (run_model_code >= 0)
        return holds(select_image(run_model_code));
    for (const image_entry& image : catalogue_images())
        if (holds(&image))
            return true;
    return false;
}
