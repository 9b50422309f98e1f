// SPDX-License-Identifier: MIT
#include "link/cable.h"

int32_t clock_delay = 2;
