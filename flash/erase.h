// SPDX-License-Identifier: MIT
// Sector-by-sector erase of the whole flash.
#pragma once

// Erases every sector of sector_table. A sector that does not finish within
// twice the slowest supported chip's maximum sector erase time ends the
// process with status -1.
void flash_erase();
