// SPDX-License-Identifier: MIT
// The model table: the names -m accepts and the board message of each model_code.
#pragma once

#include <cstdint>

#include "model_table.h"

// Row of the first name equal to name ignoring letter case, or -1.
int32_t model_index_of(const char* name);

// 0 for PAL (any word but "ntsc", ignoring case), 10000 for NTSC.
int32_t video_offset_of(const char* format);

// The board message of a model_code, or nullptr for a refused code.
const char* board_message_of(int32_t model_code);
