// SPDX-License-Identifier: MIT
#include "ocd/walking_cycles.h"

#include <limits>

#include "target/instruction_words.h"

namespace {

constexpr uint32_t address_gpr = 1;
constexpr uint32_t data_gpr = 2;

bool fits_displacement(int64_t d)
{
    return d >= std::numeric_limits<int16_t>::min() && d <= std::numeric_limits<int16_t>::max();
}

} // namespace

exchange_list seat(walker& w, uint32_t address)
{
    exchange_list list;
    list.add(data_write_exchange(address));
    list.add(execute_exchange(mfspr_from_ddr(address_gpr)));
    w = {true, address};
    return list;
}

exchange_list walk(walker& w, const bus_cycle& cycle)
{
    exchange_list list;
    const int64_t step = int64_t{cycle.address} - w.r1;
    if (!w.seated || !fits_displacement(step))
        list = seat(w, cycle.address);
    const auto d = static_cast<int16_t>(int64_t{cycle.address} - w.r1);
    const uint32_t update_form = primary_opcode(cycle.kind) + 1;
    if (is_load(cycle.kind)) {
        list.add(execute_exchange(d_form(update_form, data_gpr, address_gpr, d)));
        list.add(execute_exchange(mtspr_to_ddr(data_gpr)));
        list.add(data_read_exchange(cycle.expect));
    } else {
        list.add(data_write_exchange(cycle.value));
        list.add(execute_exchange(mfspr_from_ddr(data_gpr)));
        list.add(execute_exchange(d_form(update_form, data_gpr, address_gpr, d)));
    }
    w.r1 = cycle.address;
    return list;
}
