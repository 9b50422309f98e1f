// SPDX-License-Identifier: MIT
// The Command Definitions table of the AMD command-set datasheets (MX29LV640M,
// S29GL064M, M29W640D, EN29LV640) for word mode, as a transition table:
//
//   reset             xxx F0
//   autoselect        555 AA, 2AA 55, 555 90
//   program           555 AA, 2AA 55, 555 A0, address data
//   chip erase        555 AA, 2AA 55, 555 80, 555 AA, 2AA 55, 555 10
//   sector erase      555 AA, 2AA 55, 555 80, 555 AA, 2AA 55, sector 30 (more sector 30 within the window)
//   unlock bypass     555 AA, 2AA 55, 555 20
//     program         xxx A0, address data
//     chip erase      xxx 80, xxx 10
//     sector erase    xxx 80, sector 30
//     reset           xxx 90, xxx 00
//
// Model decisions where the datasheets leave it open:
// - A write that breaks a sequence returns the chip to read mode.
// - In unlock bypass, F0 is a reset and leaves bypass too; other writes are
//   ignored; an 80 or 90 followed by anything else falls back to bypass.
// - Embedded operations ignore writes (a program command while a word is still
//   programming is lost); F0 ends one only once DQ5 is up.
// - Erase suspend, CFI query, secured silicon and sector protection commands
//   are not decoded.
#include "sim/flash_commands.h"

namespace sim {

namespace {

using s = flash_state;
using act = flash_action;

constexpr uint32_t command_address_mask = 0x7FF; // A10..A0
constexpr uint16_t any_address = 0xFFFF;
constexpr uint16_t any_data = 0x100;

struct row {
    flash_state from;
    uint16_t address; // A10..A0 of the cycle, or any_address
    uint16_t data;    // low data byte, or any_data
    flash_state next;
    flash_action action = act::none;
};

constexpr uint16_t x = any_address;
constexpr uint16_t any = any_data;

// The first row of the state that matches is taken; each state ends with a
// row for any other write.
constexpr row rows[] = {
    {s::read, 0x555, 0xAA, s::unlock1},
    {s::read, x, any, s::read},
    {s::autoselect, 0x555, 0xAA, s::unlock1},
    {s::autoselect, x, any, s::read},
    {s::unlock1, 0x2AA, 0x55, s::unlock2},
    {s::unlock1, x, any, s::read},
    {s::unlock2, 0x555, 0x90, s::autoselect},
    {s::unlock2, 0x555, 0xA0, s::program_setup},
    {s::unlock2, 0x555, 0x80, s::erase_setup},
    {s::unlock2, 0x555, 0x20, s::bypass, act::enter_bypass},
    {s::unlock2, x, any, s::read},
    {s::program_setup, x, any, s::programming, act::program},
    {s::erase_setup, 0x555, 0xAA, s::erase_unlock1},
    {s::erase_setup, x, any, s::read},
    {s::erase_unlock1, 0x2AA, 0x55, s::erase_unlock2},
    {s::erase_unlock1, x, any, s::read},
    {s::erase_unlock2, 0x555, 0x10, s::erasing, act::chip_erase},
    {s::erase_unlock2, x, 0x30, s::erase_window, act::sector_erase},
    {s::erase_unlock2, x, any, s::read},

    {s::bypass, x, 0xA0, s::bypass_program_setup},
    {s::bypass, x, 0x90, s::bypass_reset_setup},
    {s::bypass, x, 0x80, s::bypass_erase_setup},
    {s::bypass, x, 0xF0, s::read},
    {s::bypass, x, any, s::bypass},
    {s::bypass_program_setup, x, any, s::programming, act::program},
    {s::bypass_reset_setup, x, 0x00, s::read},
    {s::bypass_reset_setup, x, any, s::bypass},
    {s::bypass_erase_setup, x, 0x10, s::erasing, act::chip_erase},
    {s::bypass_erase_setup, x, 0x30, s::erase_window, act::sector_erase},
    {s::bypass_erase_setup, x, any, s::bypass},

    {s::erase_window, x, 0x30, s::erase_window, act::add_sector},
    {s::erase_window, x, any, s::home},
    {s::erasing, x, any, s::erasing},
    {s::programming, x, any, s::programming},
    {s::erase_timed_out, x, 0xF0, s::read},
    {s::erase_timed_out, x, any, s::erase_timed_out},
    {s::program_timed_out, x, 0xF0, s::read},
    {s::program_timed_out, x, any, s::program_timed_out},
};

constexpr bool every_state_ends_with_any_write()
{
    for (auto st = s::read; st != s::home; st = static_cast<s>(static_cast<int>(st) + 1)) {
        const row* last = nullptr;
        for (const row& r : rows)
            if (r.from == st)
                last = &r;
        if (!last || last->address != x || last->data != any)
            return false;
    }
    return true;
}
static_assert(every_state_ends_with_any_write());

} // namespace

flash_transition flash_command(flash_state from, uint32_t word_address, uint16_t data)
{
    const uint32_t a = word_address & command_address_mask;
    const uint8_t d = static_cast<uint8_t>(data);
    for (const row& r : rows)
        if (r.from == from && (r.address == x || r.address == a) && (r.data == any || r.data == d))
            return {r.next, r.action};
    return {from, act::none}; // not reached: every state has a row for any write
}

} // namespace sim
