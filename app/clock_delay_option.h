// SPDX-License-Identifier: MIT
// The value of -t.
#pragma once

#include <cstdint>

// The decimal integer at the start of text, as atoi reads it, but saturating
// at the 32-bit limits instead of overflowing.
int32_t parse_clock_delay(const char* text);
