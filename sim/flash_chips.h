// SPDX-License-Identifier: MIT
// The NOR flash chips the box can carry: 64 Mbit, 16-bit bus, AMD command set.
#pragma once

#include <cstdint>

namespace sim {

struct flash_chip {
    const char* name;
    uint16_t manufacturer; // autoselect word 0
    uint16_t device;       // autoselect word 1
    uint16_t word_0e;      // autoselect words 0x0E and 0x0F (extended device code)
    uint16_t word_0f;
    bool top_boot;         // 8 KB boot sectors at the top, else at the bottom
    bool extended_id;      // decodes autoselect A7..A0; older parts decode only A1..A0
    uint16_t word_03;      // autoselect word 3: secured-silicon / extended-block indicator
};

constexpr unsigned flash_sector_count = 135; // 127 x 64 KB + 8 x 8 KB
constexpr uint32_t flash_big_sector_words = 0x8000;
constexpr uint32_t flash_boot_sector_words = 0x1000;

// Chip by name (as in flash_select_chip), nullptr when unknown.
const flash_chip* flash_chip_by_name(const char* name);

// Sector index of a word address in the layout, and each sector's first word and size.
unsigned flash_sector_of(bool top_boot, uint32_t word);
uint32_t flash_sector_start(bool top_boot, unsigned sector);
uint32_t flash_sector_words(bool top_boot, unsigned sector);

} // namespace sim
