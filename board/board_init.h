// SPDX-License-Identifier: MIT
// Board bring-up per model: register script, then the flash window.
#pragma once

#include <cstdint>

// Set by the run sequence before any target access; printed by board_init.
extern const char* board_message;

extern uint32_t flash_base;   // target address of the flash's first byte
extern uint32_t image_offset; // offset of the download area inside the flash

// 0 after a script has run; -1 when the model_code has no script.
int board_init(int32_t model_code);

// Runs the register script of a script_column of the model table.
void run_board_script(int32_t column);
