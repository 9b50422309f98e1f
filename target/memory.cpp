// SPDX-License-Identifier: MIT
#include "target/memory.h"

#include "target/instruction_words.h"
#include "target/registers.h"
#include "target/transactions.h"

namespace {
constexpr uint32_t address_gpr = 1;
constexpr uint32_t data_gpr = 2;
} // namespace

// No read-back: a store is not verified. r1 and r2 keep address and value.
void mem_write32(uint32_t address, uint32_t value)
{
    const dbg_operation operation;
    gpr_write(address_gpr, address);
    gpr_write(data_gpr, value);
    execute(stw_r2_0_r1);
}

void mem_write16(uint32_t address, uint16_t value)
{
    const dbg_operation operation;
    gpr_write(address_gpr, address);
    gpr_write(data_gpr, value);
    execute(sth_r2_0_r1);
}

uint16_t mem_read16(uint32_t address)
{
    const dbg_operation operation;
    gpr_write(address_gpr, address);
    execute(lhz_r1_0_r1);
    return static_cast<uint16_t>(gpr_read(address_gpr));
}

void mem_stream_from(uint32_t address)
{
    const dbg_operation operation;
    gpr_write(address_gpr, address);
}

void mem_store32_next(int16_t step, uint32_t value)
{
    const dbg_operation operation;
    gpr_write(data_gpr, value);
    execute(stwu_r2_d_r1(step));
}

namespace {

uint32_t load_through_r2(uint32_t load)
{
    const dbg_operation operation;
    execute(load);
    return gpr_read(data_gpr);
}

} // namespace

uint32_t mem_load32_next(int16_t step)
{
    return load_through_r2(lwzu_r2_d_r1(step));
}

uint16_t mem_load16_next(int16_t step)
{
    return static_cast<uint16_t>(load_through_r2(lhzu_r2_d_r1(step)));
}

uint16_t mem_load16_at(int16_t offset)
{
    return static_cast<uint16_t>(load_through_r2(lhz_r2_d_r1(offset)));
}
