// SPDX-License-Identifier: MIT
// One debug exchange with the core's JTAG debug port: an instruction scan when
// the instruction changes, then a 33-bit data scan, Run-Test/Idle to Run-Test/Idle.
#pragma once

#include <cstdint>

constexpr int dbg_control = 0x2C; // debug control word
constexpr int dbg_execute = 0x3C; // the halted core executes the data word
constexpr int dbg_data = 0x5C;    // debug data register (SPR 1011 on the core side)

// Instruction last shifted into the instruction register; 0xFF: none.
extern uint8_t ir_cache;

// Non-zero while a set status bit is not fatal (only during reset-and-halt).
extern int32_t ignore_link_status;

uint32_t dbg_exchange(int instruction, uint32_t data, int final_bit);

// Prints the communication-failed message and ends the process with status -1.
[[noreturn]] void link_failure();
