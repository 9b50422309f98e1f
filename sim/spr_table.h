// SPDX-License-Identifier: MIT
// The special-purpose registers the core implements (a PowerPC 405 core),
// by number. A number not in the table is no register: mfspr and mtspr of it
// fail, as the core raises a program exception for them.
#pragma once

#include <cstdint>

namespace sim {

enum spr_access : uint8_t {
    spr_none = 0,
    spr_readable = 1,
    spr_writable = 2,
    spr_clear_on_one = 4, // a write clears the bits that are 1 in the data (TSR, DBSR)
};

struct spr_entry {
    uint16_t slot;  // where the value lives (aliases such as the time base share one)
    uint8_t access; // spr_access bits
};

const spr_entry& spr_lookup(uint32_t number); // number < 1024

// Numbers with bit 4 set are privileged: usable only with MSR[PR] = 0.
inline bool spr_privileged(uint32_t number)
{
    return (number & 0x10) != 0;
}

constexpr uint32_t spr_xer = 1;
constexpr uint32_t spr_dbdr = 1011; // debug data register: the debug port's window into the core

} // namespace sim
