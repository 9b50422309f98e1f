// SPDX-License-Identifier: MIT
// Flash chip identification: codes, then the chosen chip's sectors and erase
// bound, and the download address.
#pragma once

#include <cstdint>

constexpr int flash_sector_max = 135;

extern uint32_t download_address;
extern int32_t sector_count;
extern uint32_t sector_table[flash_sector_max];
extern int32_t erase_wait_limit_s; // seconds the erase waits for one sector

// 0 when the chip is in the table; -1 (after its message) when it is not.
int flash_identify();

// What the identification found, for a run's report: the autoselect words
// 0, 1, 0x0E and 0x0F as read, and the chip's row (nullptr: none matched).
struct chip_row;
extern uint16_t identified_codes[4];
extern const chip_row* identified_chip;
