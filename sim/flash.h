// SPDX-License-Identifier: MIT
// The NOR flash chip of the virtual box, as the box's owner sees it: a 64 Mbit
// chip in word mode, AMD command set, as the datasheets of the MX29LV640M,
// S29GL064M, M29W640D and EN29LV640 describe it.
//
// Model decisions:
// - Command decoding is the transition table of sim/flash_commands.cpp.
// - Unlock bypass: after a program or an erase the chip returns to bypass.
// - Sector erase: further 30 cycles within flash_erase_window_ns add sectors;
//   any other write in that window cancels the erase.
// - During an embedded operation every read returns status: DQ7 (complement of
//   the data's bit 7 while programming, 0 while erasing), DQ6 toggling on every
//   read, DQ5 once the operation has passed its time limit, DQ3 once the erase
//   has started, DQ2 toggling on reads inside an erasing sector; other bits 0.
// - Programming only clears bits; a word that asks for a 0 to become 1 never
//   verifies (DQ5 after the limit), as the datasheets say.
// - Protection status reads 0.
//
// Faults (programs counted from 0 in the order the chip takes them):
// - no-chip: reads give 0xFFFF, writes are lost.
// - erase-stuck=K: an erase that includes sector K never finishes; sector K is
//   pre-programmed to 0x0000 (the first phase of the embedded erase); DQ5 comes
//   up after the erase's time limit; status until F0.
// - program-fail=I: program I never verifies, its bit 7 is stuck at 0 in the
//   array; DQ7 stays the complement of the data's bit 7, DQ5 comes up after the
//   program time limit; status until F0.
// - slow-program=I: program I returns status on the first 101 reads of its
//   address whatever the time (without DQ5) and finishes at the 102nd; reads
//   elsewhere give status too.
// - verify-mismatch=I: program I completes normally; when the chip next enters
//   read mode (at once for a plain program, at F0 or 90/00 for a bypass one),
//   bit 0 of that word flips in the array, so every later read shows it.
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
