// SPDX-License-Identifier: MIT
// Sector-by-sector erase of the whole flash.
#pragma once

#include <cstdint>

// Erases every sector of sector_table. A sector that does not finish within
// erase_wait_limit_s (the identified chip's) ends the process with status -1.
void flash_erase();

// The erase of sectors [first, end) of sector_table in order, under
// "Erase flash(what)" with one dot a sector; flash_erase is all of them.
void erase_sectors(const char* what, int32_t first, int32_t end);

// The end of a run whose sector did not finish erasing: its message, status -1.
[[noreturn]] void erase_timed_out(int32_t sector, uint32_t address);
