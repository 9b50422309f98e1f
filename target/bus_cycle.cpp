// SPDX-License-Identifier: MIT
#include "target/bus_cycle.h"

#include "target/instruction_words.h"

namespace {

constexpr uint32_t address_gpr = 1;
constexpr uint32_t data_gpr = 2;

static_assert(d_form(primary_opcode(cycle_kind::store32), data_gpr, address_gpr, 0) == stw_r2_0_r1 &&
              d_form(primary_opcode(cycle_kind::store16), data_gpr, address_gpr, 0) == sth_r2_0_r1 &&
              d_form(primary_opcode(cycle_kind::load16), address_gpr, address_gpr, 0) == lhz_r1_0_r1,
              "the table's opcodes give the tool's fixed store and load words");

} // namespace

exchange_list exchanges_of(const bus_cycle& cycle)
{
    exchange_list list;
    list.add(data_write_exchange(cycle.address));
    list.add(execute_exchange(mfspr_from_ddr(address_gpr)));
    if (is_load(cycle.kind)) {
        list.add(execute_exchange(d_form(primary_opcode(cycle.kind), address_gpr, address_gpr, 0)));
        list.add(execute_exchange(mtspr_to_ddr(address_gpr)));
        list.add(data_read_exchange(cycle.expect));
    } else {
        list.add(data_write_exchange(cycle.value));
        list.add(execute_exchange(mfspr_from_ddr(data_gpr)));
        list.add(execute_exchange(d_form(primary_opcode(cycle.kind), data_gpr, address_gpr, 0)));
    }
    return list;
}

uint32_t run_bus_cycle(const bus_cycle& cycle)
{
    const uint32_t result = run_exchanges(exchanges_of(cycle));
    return is_load(cycle.kind) ? result : 0;
}
