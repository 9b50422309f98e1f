// SPDX-License-Identifier: MIT
#include "flash/image_plan.h"

#include "board/board_init.h"
#include "flash/identify.h"

const image_entry* planned_image = nullptr;
uint32_t image_address = 0;

// An image longer than the room above download_address would wrap past
// 0xFFFFFFFF; it is moved down so that it ends at the top of the flash, where
// the core fetches its first instruction.
uint32_t place_image(int32_t words)
{
    constexpr uint64_t address_space = uint64_t{1} << 32;
    if (words <= 0 || download_address == 0)
        return 0;
    const uint64_t bytes = uint64_t{2} * static_cast<uint32_t>(words);
    if (download_address + bytes <= address_space)
        return download_address;
    if (bytes > address_space - flash_base)
        return 0;
    return static_cast<uint32_t>(address_space - bytes);
}

bool plan_placed_image(const image_entry* image)
{
    planned_image = nullptr;
    image_address = place_image(image->words);
    if (image_address == 0)
        return false;
    planned_image = image;
    return true;
}
