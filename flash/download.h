// SPDX-License-Identifier: MIT
// Image download: unlock bypass, paired program cycle, data polling.
#pragma once

#include <cstdint>
#include <optional>

constexpr uint16_t erased_word = 0xFFFF;
constexpr uint16_t status_dq7 = 0x80; // data polling: complement of the data bit while busy
constexpr uint16_t status_dq5 = 0x20; // the chip's internal time limit was exceeded
// Busy reads (DQ7 still different, DQ5 clear) that a word may take; the next one fails it.
constexpr int32_t poll_limit = 100;

// Programs the planned image (see flash/image_plan.h).
void flash_download();

// Word i of the planned image as the download handles it: nothing for an
// erased word, else the program pair and data polling. The progress line is
// the caller's.
void download_word(int32_t i);

// Bypass program command and data word in one 32-bit store at address - 2.
void flash_program_pair(uint32_t address, uint16_t word);

// Data polling of the word just programmed at address; a word that does not
// finish ends the process. polls: reads already made that found it busy;
// taken: the next read, when it has been made already (a batched link that
// takes up a word its batch left busy).
void wait_for_program(uint32_t address, uint16_t word, int32_t polls = 0,
                      std::optional<uint16_t> taken = std::nullopt);

// The message of a word that will not program, and the end of the process.
[[noreturn]] void program_failed();
