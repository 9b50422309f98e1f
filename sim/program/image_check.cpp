#include "sim/program/image_check.h"

#include <cstdint>

#include "app/run_sequence.h"
#include "flash/download.h"
#include "flash/identify.h"
#include "images/catalogue.h"
#include "sim/flash.h"

bool image_in_flash()
{
    if (run_model_code < 0 || download_address == 0)
        return false;
    const image_entry* image = select_image(run_model_code);
    if (image == nullptr)
        return false;
    const uint32_t address = image_address(image->words);
    if (address < sim::flash_window_base || image->words < 0)
        return false;
    const size_t first = (address - sim::flash_window_base) / 2;
    if (first + static_cast<size_t>(image->words) > sim::flash_chip_words)
        return false;
    const uint16_t* words = sim::flash_array() + first;
    for (int32_t i = 0; i < image->words; ++i)
        if (words[i] != image_word_at(*image, i))
            return false;
    return true;
}
