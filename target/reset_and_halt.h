// SPDX-License-Identifier: MIT
// Taking the core under debug control.
#pragma once

#include <cstdint>

// Debug control words: halt as the box leaves reset (written while the reset
// group holds it there), and stay halted (written once it is out of reset).
constexpr uint32_t control_halt_on_reset = 0xB8000000u;
constexpr uint32_t control_stay_halted = 0x80000000u;

void reset_and_halt();
