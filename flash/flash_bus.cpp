// SPDX-License-Identifier: MIT
#include "flash/flash_bus.h"

#include "target/memory.h"

// The flash sits on the core's bus: its cycles are the core's halfword
// stores and loads.
void flash_write16(uint32_t address, uint16_t value)
{
    mem_write16(address, value);
}

uint16_t flash_read16(uint32_t address)
{
    return mem_read16(address);
}
