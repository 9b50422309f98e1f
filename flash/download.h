// SPDX-License-Identifier: MIT
// Image download: unlock bypass, paired program cycle, data polling.
#pragma once

#include <cstdint>

#include "flash/data_polling.h"

// Programs the planned image (see flash/image_plan.h).
void flash_download();

// Words of the planned image confirmed programmed so far, for a run's report.
extern int32_t words_programmed;

// Word i of the planned image as the download handles it: nothing for an
// erased word, else the program pair and data polling. The progress line is
// the caller's.
void download_word(int32_t i);

// Every word of the planned image from index 0, one by one, with the
// progress line; the chip is in unlock-bypass mode.
void download_each_word();

// Bypass program command and data word in one 32-bit store at address - 2.
void flash_program_pair(uint32_t address, uint16_t word);

// Data polling of the word just programmed at address; a word that does not
// finish ends the process.
void wait_for_program(uint32_t address, uint16_t word);

// The message of a word that will not program, and the end of the process.
[[noreturn]] void program_failed();

// Acts on a poll's verdict: true when the word is programmed, false to read
// again; a word that failed ends the process.
bool polling_done(poll_verdict verdict);
