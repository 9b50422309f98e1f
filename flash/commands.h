// SPDX-License-Identifier: MIT
// The AMD-style command set shared by the flash steps: command addresses are
// flash words 0x5555 and 0x2AAA; commands are bytes in the low half of a word.
#pragma once

#include <cstdint>

#include "board/board_init.h"

constexpr uint32_t unlock_address_1 = 0xAAAA; // byte offset of word 0x5555
constexpr uint32_t unlock_address_2 = 0x5554; // byte offset of word 0x2AAA

// Command bytes, written in the low half of a word.
enum flash_command_byte : uint16_t {
    command_unlock_1 = 0xAA,
    command_unlock_2 = 0x55,
    command_read_reset = 0xF0,
    command_autoselect = 0x90,
    command_erase_setup = 0x80,
    command_sector_erase = 0x30,
    command_unlock_bypass = 0x20,
    command_bypass_program = 0xA0,
};

// The two unlock cycles.
void flash_unlock();

// The two unlock cycles, then command at word 0x5555.
void flash_command(uint16_t command);

// Back to read mode (also leaves autoselect mode).
void flash_reset();
