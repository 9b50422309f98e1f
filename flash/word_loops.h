// SPDX-License-Identifier: MIT
// The long loops of the flash steps, as the program's link carries them:
// word by word over the parallel port and into the virtual box
// (flash/serial_loops.cpp); in batches queued inside OpenOCD for vexload-ocd.
// Chosen when the program is linked, with the exchange.
#pragma once

#include <cstdint>

// Every word of the planned image, from index 0, with the progress line; the
// chip is in unlock-bypass mode.
void download_words();

// Every word of the planned image compared with the flash, with the progress
// line; the chip is in read mode. 0, or -1 after the first mismatch's text.
int verify_words();

// The wait for one sector's erase to finish; a sector that does not finish
// within the bound ends the process.
void erase_wait(int32_t sector, uint32_t address);
