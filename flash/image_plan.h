// SPDX-License-Identifier: MIT
// The run's image and where it goes in the flash: decided once, before the
// erase, so that every reason to refuse it is found while the flash is
// intact; the download and the verify read it.
#pragma once

#include <cstdint>

#include "images/catalogue.h"

// The image of the run (nullptr until planned) and the target address of its
// first word.
extern const image_entry* planned_image;
extern uint32_t image_address;

// Where an image of words goes: download_address, or, for an image that
// would run past the top of the address space, the address from which it
// ends at the top of the flash. 0 when it does not fit the flash or no chip
// has been identified.
uint32_t place_image(int32_t words);

// Plans image at its place; false, with nothing planned, when it does not
// fit. No bus cycle, no message.
bool plan_placed_image(const image_entry* image);

// Target address of the planned image's word i.
inline uint32_t planned_word_address(int32_t i)
{
    return image_address + 2 * static_cast<uint32_t>(i);
}
