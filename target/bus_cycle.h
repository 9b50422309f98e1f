// SPDX-License-Identifier: MIT
// One access of the halted core to its bus, as a plain value: a store or a
// load of a halfword or a word at an address. The flash steps are made of
// them; the tool makes each one as its own exchanges, and vexload-ocd's
// batches walk through memory with the same cycles.
#pragma once

#include <cstdint>

#include "link/exchange_list.h"

enum class cycle_kind : uint8_t { store16, store32, load16, load32 };

struct bus_cycle {
    cycle_kind kind;
    uint32_t address;
    uint32_t value;     // what a store puts on the bus
    answer_check expect; // what a load of a right bus gives
};

constexpr bool is_load(cycle_kind kind)
{
    return kind == cycle_kind::load16 || kind == cycle_kind::load32;
}

constexpr bus_cycle store16_cycle(uint32_t address, uint16_t value)
{
    return {cycle_kind::store16, address, value, {}};
}

constexpr bus_cycle store32_cycle(uint32_t address, uint32_t value)
{
    return {cycle_kind::store32, address, value, {}};
}

constexpr bus_cycle load16_cycle(uint32_t address, answer_check expect = {})
{
    return {cycle_kind::load16, address, 0, expect};
}

// The primary opcode of the cycle's D-form load or store (sth, stw, lhz,
// lwz); the update form, which leaves the address in rA, is the next one.
constexpr uint32_t primary_opcode(cycle_kind kind)
{
    switch (kind) {
    case cycle_kind::store16:
        return 44;
    case cycle_kind::store32:
        return 36;
    case cycle_kind::load16:
        return 40;
    case cycle_kind::load32:
        return 32;
    }
    return 0;
}

// The cycle as the tool makes every access: r1 takes the address and r2 the
// value, the displacement is 0, and a load comes back through r1.
exchange_list exchanges_of(const bus_cycle& cycle);

// The cycle's exchanges one by one: a load's value, 0 for a store.
uint32_t run_bus_cycle(const bus_cycle& cycle);
