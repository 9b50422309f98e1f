// SPDX-License-Identifier: MIT
// Read-back of the download area against the image.
#pragma once

#include <cstdint>

// Compares the planned image with the flash: 0 when every word matches; -1
// at the first mismatch (after its message).
int flash_verify();

// Words of the planned image the verify has found right so far, for a run's report.
extern int32_t words_checked;

// Word i of the planned image against the flash: 0 when it matches, -1 after
// the error text. The progress line is the caller's.
int verify_word(int32_t i);

// Every word of the planned image compared one by one, with the progress
// line; 0, or -1 after the first mismatch's text.
int verify_each_word();
