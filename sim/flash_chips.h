// SPDX-License-Identifier: MIT
// The NOR flash chips the box can carry: 64 Mbit, 16-bit bus, AMD command set.
#pragma once

#include <cstdint>
#include <string>

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

// The chip fitted unless another is chosen.
constexpr const char* flash_default_chip = "MX29LV640MT";

// Chip by name (as in flash_select_chip), nullptr when unknown.
const flash_chip* flash_chip_by_name(const char* name);

// The chips in table order: "S29GL064M, M29W640DT, ..."
std::string flash_chip_names();

// Sector index of a word address in the layout, and each sector's first word and size.
unsigned flash_sector_of(bool top_boot, uint32_t word);
uint32_t flash_sector_start(bool top_boot, unsigned sector);
uint32_t flash_sector_words(bool top_boot, unsigned sector);

} // namespace sim
