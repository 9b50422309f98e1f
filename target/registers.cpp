// SPDX-License-Identifier: MIT
#include "target/registers.h"

#include <cstdio>

#include "target/instruction_words.h"
#include "target/transactions.h"

namespace {

constexpr uint32_t last_gpr = 31;

// The unsigned test also refuses negative numbers passed through.
bool gpr_in_range(uint32_t reg)
{
    if (reg <= last_gpr)
        return true;
    std::printf("illegal reg\n");
    return false;
}

} // namespace

void gpr_write(uint32_t reg, uint32_t value)
{
    if (!gpr_in_range(reg))
        return;
    data_write(value);
    execute(mfspr_from_ddr(reg));
}

uint32_t gpr_read(uint32_t reg)
{
    if (!gpr_in_range(reg))
        return 0;
    execute(mtspr_to_ddr(reg));
    return data_read();
}
