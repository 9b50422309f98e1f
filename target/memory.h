// SPDX-License-Identifier: MIT
// Stores through the halted core: r1 carries the address, r2 the value.
#pragma once

#include <cstdint>

void mem_write32(uint32_t address, uint32_t value);
