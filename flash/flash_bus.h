// SPDX-License-Identifier: MIT
// 16-bit flash bus cycles made by the halted core (r1 address, r2 data).
#pragma once

#include <cstdint>

void flash_write16(uint32_t address, uint16_t value);
uint16_t flash_read16(uint32_t address);
