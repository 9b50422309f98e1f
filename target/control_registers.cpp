// SPDX-License-Identifier: MIT
// DCR, SPR and MSR writes: the core moves them only from a GPR, so r0 is
// borrowed and given its old value back.
#include <cstdio>

#include "target/instruction_words.h"
#include "target/registers.h"
#include "target/transactions.h"

namespace {

constexpr uint32_t scratch_gpr = 0;
constexpr uint32_t last_register_number = 1023; // 10-bit field

void write_through_r0(uint32_t move_word, uint32_t value)
{
    const uint32_t saved = gpr_read(scratch_gpr);
    gpr_write(scratch_gpr, value);
    execute(move_word);
    gpr_write(scratch_gpr, saved);
}

} // namespace

void dcr_write(uint32_t dcr, uint32_t value)
{
    if (dcr > last_register_number) {
        std::printf("illegal dcr\n");
        return;
    }
    write_through_r0(mtdcr_from_r0(dcr), value);
}

void spr_write(uint32_t spr, uint32_t value)
{
    if (spr > last_register_number) {
        std::printf("illegal spr\n");
        return;
    }
    write_through_r0(mtspr_from_r0(spr), value);
}

void msr_write(uint32_t value)
{
    write_through_r0(mtmsr_r0, value);
}
