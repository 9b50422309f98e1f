// The tool's main routine and its banner and usage text.
#pragma once

#include <cstdint>

// Scans the command line, selects the model, drives the programming steps and
// prints the verdict. Every path that returns gives 0.
int32_t run_sequence(int32_t argc, char* const argv[]);

void print_usage();

// -t: the decimal integer at the start of text, as atoi reads it, but
// saturating at the 32-bit limits instead of overflowing.
int32_t parse_clock_delay(const char* text);
