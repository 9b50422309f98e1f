// SPDX-License-Identifier: MIT
// Bus cycles for vexload-ocd's batches, made through r1 as a moving address:
// the update forms of the loads and stores (stwu, lhzu, lwzu) with the
// displacement from where r1 points, so that a store costs three exchanges
// and a load three, where the tool's own form loads r1 every time (five).
#pragma once

#include <cstdint>

#include "target/bus_cycle.h"

// Where r1 points once a batch has seated it.
struct walker {
    bool seated = false;
    uint32_t r1 = 0;
};

// The exchanges of cycle; r1 is seated at the cycle's address first where it
// is not yet, or where the displacement would not fit 16 bits.
exchange_list walk(walker& w, const bus_cycle& cycle);

// Seats r1 at address: its two exchanges.
exchange_list seat(walker& w, uint32_t address);

// A 32-bit load at an aligned address that reads two flash words at once,
// the one at the lower address in the high half, as the bus puts them.
constexpr bus_cycle two_word_check_cycle(uint32_t address, uint16_t first, uint16_t second)
{
    return {cycle_kind::load32, address, 0, {0xFFFFFFFF, uint32_t{first} << 16 | second}};
}
