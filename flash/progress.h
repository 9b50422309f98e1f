// SPDX-License-Identifier: MIT
// The one-line progress display of the download and the check.
#pragma once

#include <cstdint>

// The redrawn one-line progress display, evaluated for word index of count.
void progress_line(const char* title, int32_t index, int32_t count);
