// SPDX-License-Identifier: MIT
#include "flash/flash_bus.h"

#include "link/debug_exchange.h"
#include "target/registers.h"

namespace {

constexpr uint32_t address_gpr = 1;
constexpr uint32_t data_gpr = 2;
constexpr uint32_t sth_r2_0_r1 = 0xB0410000; // 16-bit store of r2 at (r1)
constexpr uint32_t lhz_r1_0_r1 = 0xA0210000; // 16-bit load from (r1) into r1

} // namespace

void flash_write16(uint32_t address, uint16_t value)
{
    const dbg_operation operation;
    gpr_write(address_gpr, address);
    gpr_write(data_gpr, value);
    dbg_exchange(dbg_execute, sth_r2_0_r1, 1);
}

uint16_t flash_read16(uint32_t address)
{
    const dbg_operation operation;
    gpr_write(address_gpr, address);
    dbg_exchange(dbg_execute, lhz_r1_0_r1, 1);
    return static_cast<uint16_t>(gpr_read(address_gpr));
}
