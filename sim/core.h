// SPDX-License-Identifier: MIT
// The halted PowerPC core as the debug unit sees it.
#pragma once

#include <cstdint>

namespace sim {

// A PPC4xx core leaves reset fetching its first instruction here: the last
// 32-bit word of the boot flash, which a bootable image therefore ends with.
constexpr uint32_t core_reset_vector = 0xFFFFFFFC;

// Power-on state: registers cleared (the box resets its bus and flash with it).
void core_power_on();

// The debug data register, SPR 1011 on the core side.
uint32_t core_ddr();
void core_set_ddr(uint32_t value);

// Executes one instruction word on the halted core. false when the operation
// cannot be carried out (a word the core does not know, a bus error).
bool core_execute(uint32_t word);

// What the core implements, decoded by the word's fields:
//   mfspr, mtspr (SPRs of sim/spr_table.h; others fail), mtdcr (all 1024 DCRs),
//   mtmsr, add/add./addo/addo. (CR0 and XER[SO,OV] as the architecture says),
//   stw, sth, lhz (D-form; rA = 0 is a literal 0 base).
// Reserved fields that are not 0 make an invalid form, which fails. With
// MSR[PR] set, mtmsr, mtdcr and the privileged SPRs fail. A failed word
// changes nothing. Every other word fails.

// One step of the code a running core runs on its own, at the box's n-th TCK
// edge: a loop that leaves 0xC0DE0000 + (n mod 0x10000) in r(n mod 32), so
// that within 32 edges every general register holds the loop's values.
void core_run_own_code(uint64_t n);

// State of the core, for tests and traces.
uint32_t core_gpr(unsigned n);
void core_set_gpr(unsigned n, uint32_t value);
uint32_t core_spr(unsigned n); // the stored value; aliases read their slot
uint32_t core_dcr(unsigned n);
uint32_t core_msr();
uint32_t core_cr();

} // namespace sim
