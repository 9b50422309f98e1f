// SPDX-License-Identifier: MIT
// What every debug exchange shares, whichever link carries it.
#pragma once

#include <cstdint>

// Instruction last shifted into the instruction register; 0xFF: none.
extern uint8_t ir_cache;

// Non-zero while a set status bit is not fatal (only during reset-and-halt).
extern int32_t ignore_link_status;

constexpr uint8_t ir_none = 0xFF; // never equal to a 7-bit instruction
