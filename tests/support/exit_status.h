// SPDX-License-Identifier: MIT
// What a test harness sees of a process that ended with exit(-1): a POSIX
// wait status keeps the low 8 bits (255), Windows the whole 32-bit code.
#pragma once

#ifdef _WIN32
constexpr int exit_status_minus_one = -1;
#else
constexpr int exit_status_minus_one = 255;
#endif
