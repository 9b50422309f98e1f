// SPDX-License-Identifier: MIT
// The recorded debug exchanges read back as the flash bus cycles they make,
// judged by the box's decoding of the instructions and of the words executed.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

enum class seen_kind { write16, read16, write32, unknown };

struct seen_cycle {
    seen_kind kind;
    uint32_t address;
    uint32_t value; // written value; for a read, what the core was given
    bool operator==(const seen_cycle&) const = default;
};

std::ostream& operator<<(std::ostream& out, const seen_cycle& cycle);

inline seen_cycle write16(uint32_t address, uint32_t value)
{
    return {seen_kind::write16, address, value};
}

inline seen_cycle read16(uint32_t address, uint32_t value)
{
    return {seen_kind::read16, address, value};
}

inline seen_cycle write32(uint32_t address, uint32_t value)
{
    return {seen_kind::write32, address, value};
}

// Every exchange recorded so far, grouped into bus cycles; a group that is
// none of the three forms shows as one unknown cycle and ends the list.
std::vector<seen_cycle> recorded_cycles();
