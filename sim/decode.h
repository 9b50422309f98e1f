// SPDX-License-Identifier: MIT
// Fields of a PowerPC instruction word. Bit 0 is the least significant bit
// here (the manuals count from the other end: their bits 0-5 are our 31-26).
#pragma once

#include <cstdint>

namespace sim {

// Primary opcodes.
constexpr uint32_t op_addi = 14;   // rD = (rA|0) + SIMM
constexpr uint32_t op_x_form = 31; // register-to-register and SPR/DCR/MSR moves
constexpr uint32_t op_lwzu = 33; // load word, rA takes the address
constexpr uint32_t op_stw = 36;
constexpr uint32_t op_stwu = 37; // store word, rA takes the address
constexpr uint32_t op_lhz = 40;
constexpr uint32_t op_lhzu = 41; // load halfword, rA takes the address
constexpr uint32_t op_sth = 44;
constexpr uint32_t op_lmw = 46; // load rD to r31 from consecutive words

// Extended opcodes of primary 31: ten bits for X/XFX forms, nine for XO forms.
constexpr uint32_t xo_mfspr = 339;
constexpr uint32_t xo_mtspr = 467;
constexpr uint32_t xo_mtdcr = 451;
constexpr uint32_t xo_mtmsr = 146;
constexpr uint32_t xo9_add = 266;

inline uint32_t insn_primary(uint32_t w) { return w >> 26; }
inline uint32_t insn_rt(uint32_t w) { return (w >> 21) & 31; } // rD or rS
inline uint32_t insn_ra(uint32_t w) { return (w >> 16) & 31; }
inline uint32_t insn_rb(uint32_t w) { return (w >> 11) & 31; }
inline uint32_t insn_xo10(uint32_t w) { return (w >> 1) & 0x3FF; }
inline uint32_t insn_xo9(uint32_t w) { return (w >> 1) & 0x1FF; }
inline bool insn_oe(uint32_t w) { return (w >> 10) & 1; }
inline bool insn_rc(uint32_t w) { return w & 1; }

// SPR and DCR numbers are split: the low five bits of the number sit in
// word bits 16-20, the high five in bits 11-15.
inline uint32_t insn_split_number(uint32_t w)
{
    return ((w >> 16) & 31) | (((w >> 11) & 31) << 5);
}

// Signed 16-bit displacement of the D-form loads and stores.
inline int32_t insn_d(uint32_t w)
{
    return static_cast<int16_t>(w & 0xFFFF);
}

} // namespace sim
