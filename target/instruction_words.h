// SPDX-License-Identifier: MIT
// PowerPC instruction words that the halted core executes for the tool.
// Bit 0 is the least significant bit of the word.
#pragma once

#include <cstdint>

constexpr uint32_t ddr_spr = 1011; // debug data register as the core sees it

// mfspr rN, 1011: GPR N takes the debug data register.
constexpr uint32_t mfspr_from_ddr(uint32_t gpr)
{
    return 0x7C13FAA6u | gpr << 21;
}

// mtspr 1011, rN: the debug data register takes GPR N.
constexpr uint32_t mtspr_to_ddr(uint32_t gpr)
{
    return 0x7C13FBA6u | gpr << 21;
}

// The architecture's split 10-bit register field: low five bits of the number
// in bits 16-20, high five bits in bits 11-15.
constexpr uint32_t split_register_field(uint32_t number)
{
    return (number & 0x1Fu) << 16 | (number >> 5 & 0x1Fu) << 11;
}

// mtdcr N, r0 and mtspr N, r0.
constexpr uint32_t mtdcr_from_r0(uint32_t dcr)
{
    return 0x7C000386u | split_register_field(dcr);
}

constexpr uint32_t mtspr_from_r0(uint32_t spr)
{
    return 0x7C0003A6u | split_register_field(spr);
}

// D-form loads and stores: primary opcode in bits 26-31, rD/rS in 21-25, rA in
// 16-20, a signed 16-bit displacement in 0-15.
constexpr uint32_t d_form(uint32_t primary, uint32_t rt, uint32_t ra, int16_t displacement)
{
    return primary << 26 | rt << 21 | ra << 16 | static_cast<uint16_t>(displacement);
}

constexpr uint32_t mtmsr_r0 = 0x7C000124u;
constexpr uint32_t add_r2_r1_r0 = 0x7C410214u;
constexpr uint32_t stw_r2_0_r1 = 0x90410000u; // store word r2 at (r1)
constexpr uint32_t sth_r2_0_r1 = 0xB0410000u; // store halfword r2 at (r1)
constexpr uint32_t lhz_r1_0_r1 = 0xA0210000u; // load halfword at (r1) into r1, zero-extended

static_assert(mtspr_from_r0(ddr_spr) == mtspr_to_ddr(0), "both encodings of mtspr 1011, r0 agree");
static_assert(d_form(36, 2, 1, 0) == stw_r2_0_r1 && d_form(40, 1, 1, 0) == lhz_r1_0_r1,
              "the D-form fields agree with the fixed words");
