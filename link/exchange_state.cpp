// SPDX-License-Identifier: MIT
#include "link/exchange_state.h"

uint8_t ir_cache = 0;
int32_t ignore_link_status = 1;
