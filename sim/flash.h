// SPDX-License-Identifier: MIT
// The NOR flash chip of the virtual box, as the box's owner sees it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

constexpr uint32_t flash_window_base = 0xFF800000;
constexpr size_t flash_chip_words = 0x400000; // 8 MiB on a 16-bit bus

// Chooses a chip of the chip table by name; false for an unknown name.
bool flash_select_chip(const std::string& name);

// A top-boot chip answering with any autoselect codes.
void flash_set_chip_id(uint16_t manufacturer, uint16_t device, uint16_t word_0e, uint16_t word_0f);

// The array, word w at flash_window_base + 2 w. The owner may load and save it.
// An embedded operation that has finished by the simulated time is applied first.
uint16_t* flash_array();

// Hardware reset at power-on: the chip in read mode, no operation running,
// the count of programmed words back to 0. The array keeps its contents.
void flash_power_on();

// Name of the chip fitted ("custom" after flash_set_chip_id).
const char* flash_chip_name();

// Word programs the chip has started since power-on (the index the program
// faults count with).
uint64_t flash_programs_started();

// Typical times of the embedded operations and their limits (DQ5), in ns.
constexpr uint64_t flash_program_ns = 10'000;
constexpr uint64_t flash_program_limit_ns = 200'000;
constexpr uint64_t flash_sector_erase_ns = 700'000'000;
constexpr uint64_t flash_sector_erase_limit_ns = 15'000'000'000;
constexpr uint64_t flash_erase_window_ns = 50'000; // further sector commands accepted this long

// Times a sector erase and a word program take from now on (the typical ones
// until set; power-on keeps them). The limits stay the datasheet's.
void flash_set_times(uint64_t sector_erase_ns, uint64_t program_ns);

// Bus cycles from the core (address is the full target address in the window).
uint16_t flash_bus_read(uint32_t address);
void flash_bus_write(uint32_t address, uint16_t value);

} // namespace sim
