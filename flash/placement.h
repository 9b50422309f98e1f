// SPDX-License-Identifier: MIT
// Where an image goes in the flash.
#pragma once

#include <cstdint>

// Target address of an image's first word: download_address, or, for an
// image that would run past the top of the address space, the address from
// which it ends at the top of the flash. 0 when the image does not fit the
// flash or no chip has been identified. No bus cycle: a run can check an
// image before anything is erased.
uint32_t image_address(int32_t words);
