// SPDX-License-Identifier: MIT
// Loads and stores through the halted core: r1 carries the address, r2 the value.
#pragma once

#include <cstdint>

void mem_write32(uint32_t address, uint32_t value);
void mem_write16(uint32_t address, uint16_t value);
// The halfword comes back through r1.
uint16_t mem_read16(uint32_t address);

// A stream of accesses through r1 as a moving address, for a link that sends
// many in one batch: each access is two or three exchanges instead of five.
// mem_stream_from sets r1; a store or load "next" adds its step to r1 first.
void mem_stream_from(uint32_t address);
void mem_store32_next(int16_t step, uint32_t value);
uint32_t mem_load32_next(int16_t step);
uint16_t mem_load16_next(int16_t step);
// The halfword at r1 + offset; r1 stays.
uint16_t mem_load16_at(int16_t offset);
