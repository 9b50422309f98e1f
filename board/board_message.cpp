// SPDX-License-Identifier: MIT
#include "board/board_init.h"

const char* board_message = nullptr;
