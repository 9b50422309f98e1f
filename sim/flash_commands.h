// SPDX-License-Identifier: MIT
// Command decoding of the AMD command-set NOR chip in word mode: each bus
// write moves the chip's state machine on by the cycle's address and data.
#pragma once

#include <cstdint>

namespace sim {

enum class flash_state : uint8_t {
    read,
    autoselect,
    unlock1,              // AA at 555 taken
    unlock2,              // 55 at 2AA taken: the command byte follows
    program_setup,        // A0: the next write is the word to program
    erase_setup,          // 80: a second unlock and the erase command follow
    erase_unlock1,
    erase_unlock2,
    bypass,               // unlock bypass: one-cycle commands
    bypass_program_setup, // A0 in bypass
    bypass_reset_setup,   // 90 in bypass: 00 leaves it
    bypass_erase_setup,   // 80 in bypass
    erase_window,         // sector erase accepted, more sectors may follow
    erasing,
    programming,
    erase_timed_out,      // DQ5: past the time limit, only a reset ends it
    program_timed_out,
    home,                 // a next state only: read mode, or unlock bypass if the command came from there
};

// What a write starts besides moving the state on.
enum class flash_action : uint8_t {
    none,
    enter_bypass,
    program,      // the write's address and data are the word to program
    chip_erase,
    sector_erase, // the write's address selects the first sector
    add_sector,   // and a further one
};

struct flash_transition {
    flash_state next;
    flash_action action;
};

// The transition a write takes: word_address is the word address of the cycle
// (only A10..A0 decode), data its data (only the low byte decodes).
flash_transition flash_command(flash_state from, uint32_t word_address, uint16_t data);

} // namespace sim
