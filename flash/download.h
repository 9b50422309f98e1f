// SPDX-License-Identifier: MIT
// Image download: unlock bypass, paired program cycle, data polling.
#pragma once

#include <cstdint>

void flash_download(int32_t model_code);

// Bypass program command and data word in one 32-bit store at address - 2.
void flash_program_pair(uint32_t address, uint16_t word);
