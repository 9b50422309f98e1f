// SPDX-License-Identifier: MIT
// The core's big-endian bus: SDRAM from address 0, the memory controller's
// register block, and the 16-bit flash window at the top of the address space.
// An access that no device takes whole is a bus error (false).
#pragma once

#include <cstdint>

namespace sim {

constexpr uint32_t sdram_size = 32u << 20;
constexpr uint32_t register_block_base = 0x40060000;
constexpr uint32_t register_block_size = 0x100; // 64 registers of 32 bits

// SDRAM and the register block cleared; the flash keeps its array.
void bus_power_on();

// width is 2 or 4 bytes. Loads zero-extend.
bool bus_store(uint32_t address, uint32_t value, unsigned width);
bool bus_load(uint32_t address, unsigned width, uint32_t& value);

// Register n (offset 4 n) of the register block, for tests and traces.
uint32_t bus_register(unsigned n);

} // namespace sim
