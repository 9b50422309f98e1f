// SPDX-License-Identifier: MIT
// Image download: unlock bypass, paired program cycle, data polling, progress line.
#pragma once

#include <cstdint>

// Target address of an image's first word: download_address, or, for an
// image that would run past the top of the address space, the address from
// which it ends at the top of the flash. 0 when the image does not fit the
// flash or no chip has been identified. No bus cycle: a run can check an
// image before anything is erased.
uint32_t image_address(int32_t words);

void flash_download(int32_t model_code);

// Bypass program command and data word in one 32-bit store at address - 2.
void flash_program_pair(uint32_t address, uint16_t word);

// The redrawn one-line progress display, evaluated for word index of count.
void progress_line(const char* title, int32_t index, int32_t count);
