// SPDX-License-Identifier: MIT
// The NOR flash chips the box can carry: 64 Mbit, 16-bit bus, AMD command set.
#pragma once

#include <cstdint>
#include <string>

#include "common/sector_regions.h"

namespace sim {

// 64 Mbit: 127 sectors of 64 KB and 8 boot sectors of 8 KB, at the top or the bottom.
constexpr sector_region top_boot_sectors[] = {{127, 0x10000}, {8, 0x2000}};
constexpr sector_region bottom_boot_sectors[] = {{8, 0x2000}, {127, 0x10000}};

struct flash_chip {
    const char* name;
    uint16_t manufacturer;    // autoselect word 0
    uint16_t device;          // autoselect word 1
    uint16_t word_0e = 0;     // autoselect words 0x0E and 0x0F (extended device code)
    uint16_t word_0f = 0;
    sector_layout sectors = top_boot_sectors;
    bool extended_id = false; // decodes autoselect A7..A0; older parts decode only A1..A0
    uint16_t word_03 = 0;     // autoselect word 3: secured-silicon / extended-block indicator
};

constexpr unsigned flash_sector_count = layout_sector_count(top_boot_sectors);
static_assert(layout_sector_count(bottom_boot_sectors) == flash_sector_count);

// The chip fitted unless another is chosen.
constexpr const char* flash_default_chip = "MX29LV640MT";

// Chip by name (as in flash_select_chip), nullptr when unknown.
const flash_chip* flash_chip_by_name(const char* name);

// A top-boot chip answering with any autoselect codes ("custom").
flash_chip custom_chip(uint16_t manufacturer, uint16_t device, uint16_t word_0e, uint16_t word_0f);

// What the chip answers in autoselect mode at word address w.
uint16_t autoselect_word(const flash_chip& chip, uint32_t w);

// The chips in table order: "S29GL064M, M29W640DT, ..."
std::string flash_chip_names();

// Sector index of a word address in the layout, and each sector's first word and size.
unsigned flash_sector_of(sector_layout sectors, uint32_t word);
uint32_t flash_sector_start(sector_layout sectors, unsigned sector);
uint32_t flash_sector_words(sector_layout sectors, unsigned sector);

} // namespace sim
