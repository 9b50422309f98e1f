// SPDX-License-Identifier: MIT
// The recorded debug exchanges read back as the flash bus cycles they make,
// judged by the box's decoding of the instructions and of the words executed.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

enum class cycle_kind { write16, read16, write32, unknown };

struct bus_cycle {
    cycle_kind kind;
    uint32_t address;
    uint32_t value; // written value; for a read, what the core was given
    bool operator==(const bus_cycle&) const = default;
};

std::ostream& operator<<(std::ostream& out, const bus_cycle& cycle);

inline bus_cycle write16(uint32_t address, uint32_t value)
{
    return {cycle_kind::write16, address, value};
}

inline bus_cycle read16(uint32_t address, uint32_t value)
{
    return {cycle_kind::read16, address, value};
}

inline bus_cycle write32(uint32_t address, uint32_t value)
{
    return {cycle_kind::write32, address, value};
}

// Every exchange recorded so far, grouped into bus cycles; a group that is
// none of the three forms shows as one unknown cycle and ends the list.
std::vector<bus_cycle> recorded_cycles();
