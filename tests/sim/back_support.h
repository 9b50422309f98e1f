// SPDX-License-Identifier: MIT
// Instruction words built from their fields, as the architecture manual
// lays them out, and a box in its power-on state for the core, bus and flash tests.
#pragma once

#include <algorithm>
#include <cstdint>

#include "sim/box.h"
#include "sim/clock.h"
#include "sim/core.h"
#include "sim/events.h"
#include "sim/faults.h"
#include "sim/flash.h"

namespace back {

inline uint32_t split(uint32_t number)
{
    return ((number & 31) << 16) | ((number >> 5) << 11);
}

// XFX form: primary 31, register in bits 21-25, split number, extended opcode in bits 1-10.
inline uint32_t xfx(uint32_t xo, unsigned reg, uint32_t number)
{
    return (31u << 26) | (reg << 21) | split(number) | (xo << 1);
}

inline uint32_t mfspr(unsigned rt, uint32_t spr) { return xfx(339, rt, spr); }
inline uint32_t mtspr(uint32_t spr, unsigned rs) { return xfx(467, rs, spr); }
inline uint32_t mtdcr(uint32_t dcr, unsigned rs) { return xfx(451, rs, dcr); }
inline uint32_t mtmsr(unsigned rs) { return (31u << 26) | (rs << 21) | (146u << 1); }

inline uint32_t add(unsigned rt, unsigned ra, unsigned rb, bool oe = false, bool rc = false)
{
    return (31u << 26) | (rt << 21) | (ra << 16) | (rb << 11) | (uint32_t{oe} << 10) | (266u << 1) | uint32_t{rc};
}

inline uint32_t d_form(uint32_t primary, unsigned rt, unsigned ra, int16_t d)
{
    return (primary << 26) | (rt << 21) | (ra << 16) | static_cast<uint16_t>(d);
}

inline uint32_t stw(unsigned rs, int16_t d, unsigned ra) { return d_form(36, rs, ra, d); }
inline uint32_t sth(unsigned rs, int16_t d, unsigned ra) { return d_form(44, rs, ra, d); }
inline uint32_t lhz(unsigned rt, int16_t d, unsigned ra) { return d_form(40, rt, ra, d); }

// Default chip, erased array, no faults, log off and empty, core powered on.
inline void power_on()
{
    sim::faults = sim::fault_set{};
    sim::flash_select_chip("MX29LV640MT");
    std::fill_n(sim::flash_array(), sim::flash_chip_words, uint16_t{0xFFFF});
    sim::box_system_reset();
    sim::events_record(false);
    sim::events_clear();
}

// Status bits a flash read returns while an embedded operation runs.
constexpr uint16_t dq7 = 0x80, dq6 = 0x40, dq5 = 0x20, dq3 = 0x08, dq2 = 0x04;

} // namespace back

namespace back {

// Flash bus cycles at word addresses of the window.
inline void fw(uint32_t word, uint16_t value)
{
    sim::flash_bus_write(sim::flash_window_base + 2 * word, value);
}

inline uint16_t fr(uint32_t word)
{
    return sim::flash_bus_read(sim::flash_window_base + 2 * word);
}

inline void unlock()
{
    fw(0x555, 0xAA);
    fw(0x2AA, 0x55);
}

inline void command(uint16_t code)
{
    unlock();
    fw(0x555, code);
}

inline void sector_erase(uint32_t word)
{
    command(0x80);
    unlock();
    fw(word, 0x30);
}

inline void program(uint32_t word, uint16_t value)
{
    command(0xA0);
    fw(word, value);
}

// The two cycles of a program in unlock bypass (the first at command_word),
// the program's typical time, then what the word reads.
inline uint16_t bypass_program(uint32_t word, uint16_t value, uint32_t command_word = 0)
{
    fw(command_word, 0xA0);
    fw(word, value);
    sim::advance_ns(sim::flash_program_ns);
    return fr(word);
}

} // namespace back
