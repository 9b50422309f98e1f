// SPDX-License-Identifier: MIT
// General registers, DCRs, SPRs and the MSR of the halted core.
#pragma once

#include <cstdint>

void gpr_write(uint32_t reg, uint32_t value);
uint32_t gpr_read(uint32_t reg);

// r0 is borrowed as scratch and given its old value back.
void dcr_write(uint32_t dcr, uint32_t value);
void spr_write(uint32_t spr, uint32_t value);
void msr_write(uint32_t value);
