// SPDX-License-Identifier: MIT
// Debug exchanges as plain values: the instruction, the data word, the final
// bit, and what the answer of a right exchange shows. A bus cycle of the core
// is such a list; the cable runs it one exchange at a time, vexload-ocd turns
// it into scans for OpenOCD.
#pragma once

#include <cstdint>

#include "link/debug_exchange.h"

// Result bits under mask that a right answer shows; mask 0: any answer.
struct answer_check {
    uint32_t mask = 0;
    uint32_t value = 0;
};

constexpr bool answer_shows(const answer_check& check, uint32_t result)
{
    return (result & check.mask) == (check.value & check.mask);
}

struct exchange {
    uint8_t instruction;
    uint32_t data;
    bool final_bit;
    answer_check expect;
};

// Room for the longest list one bus cycle makes; no allocation, so that the
// word-by-word path costs what its exchanges cost.
struct exchange_list {
    static constexpr int room = 8;
    exchange items[room];
    int count = 0;

    void add(const exchange& e) { items[count++] = e; }
    const exchange* begin() const { return items; }
    const exchange* end() const { return items + count; }
};

// The three forms in which every access to the halted core is written.
constexpr exchange data_write_exchange(uint32_t value)
{
    return {dbg_data, value, true, {}};
}

constexpr exchange data_read_exchange(answer_check expect = {})
{
    return {dbg_data, 0, false, expect};
}

constexpr exchange execute_exchange(uint32_t word)
{
    return {dbg_execute, word, true, {}};
}

// Each exchange through dbg_exchange in turn; the result of the last.
uint32_t run_exchanges(const exchange_list& list);
