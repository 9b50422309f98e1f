// SPDX-License-Identifier: MIT
// Flash chip identification: codes, sector layout, download address.
#pragma once

#include <cstdint>

constexpr int flash_sector_max = 135;

extern uint32_t download_address;
extern int32_t sector_count;
extern uint32_t sector_table[flash_sector_max];

// 0 when the chip is in the table; -1 (after its message) when it is not.
int flash_identify();
