// SPDX-License-Identifier: MIT
#include "target/memory.h"

#include "target/bus_cycle.h"

void mem_write32(uint32_t address, uint32_t value)
{
    run_bus_cycle(store32_cycle(address, value));
}

void mem_write16(uint32_t address, uint16_t value)
{
    run_bus_cycle(store16_cycle(address, value));
}

uint16_t mem_read16(uint32_t address)
{
    return static_cast<uint16_t>(run_bus_cycle(load16_cycle(address)));
}
