// SPDX-License-Identifier: MIT
// Classic single-letter option scanner; one option letter per call.
#pragma once

#include <cstdint>

extern int32_t option_index;       // next argument word to examine; 0: not started
extern const char* option_cursor;  // next option letter inside the current word
extern const char* option_argument; // argument of the letter returned, or the first word not consumed

// The letter, '?' for an unknown letter or a missing argument, -1 when the options are over.
int32_t scan_option(int32_t argc, char* const argv[], const char* option_set);
