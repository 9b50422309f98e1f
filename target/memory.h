// SPDX-License-Identifier: MIT
// Loads and stores through the halted core: r1 carries the address, r2 the
// value (target/bus_cycle.h makes their exchanges).
#pragma once

#include <cstdint>

// No read-back: a store is not verified. r1 and r2 keep address and value.
void mem_write32(uint32_t address, uint32_t value);
void mem_write16(uint32_t address, uint16_t value);
// The halfword comes back through r1.
uint16_t mem_read16(uint32_t address);
