// SPDX-License-Identifier: MIT
// Sector-by-sector erase of the whole flash.
#pragma once

#include <cstdint>

// The slowest of the supported chips takes up to 15 s for one sector at its
// datasheet maximum (MX29LV640BT/DT; the others 3.5 s to 10 s). Twice that
// leaves room for ageing and temperature; a sector that is still busy then
// is protected or the chip is failing.
constexpr int32_t erase_wait_limit_s = 30;

// Erases every sector of sector_table. A sector that does not finish within
// erase_wait_limit_s ends the process with status -1.
void flash_erase();

// The end of a run whose sector did not finish erasing: its message, status -1.
[[noreturn]] void erase_timed_out(int32_t sector, uint32_t address);
