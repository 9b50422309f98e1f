// SPDX-License-Identifier: MIT
// The tool's main routine and its banner and usage text.
#pragma once

#include <cstdint>

// Scans the command line, selects the model, drives the programming steps and
// prints the verdict. Every path that returns gives 0, except the refusal of
// placeholder images (status_placeholder_images).
// model_code of this run once it is formed, -1 before; vexload-sim reads it for its summary.
extern int32_t run_model_code;

int32_t run_sequence(int32_t argc, char* const argv[]);

void print_usage();

// -t: the decimal integer at the start of text, as atoi reads it, but
// saturating at the 32-bit limits instead of overflowing.
int32_t parse_clock_delay(const char* text);
