// SPDX-License-Identifier: MIT
#include "sim/flash_chips.h"

#include <cstring>

namespace sim {

namespace {

// Codes as the vendors' datasheets give them for word mode. The older parts
// (M29W640D, EN29LV640, MX29LV640B) have no extended device code: they decode
// only the two lowest autoselect address lines, so words 0x0E and 0x0F answer
// as words 2 (sector protection, 0) and 3 (indicator word).
constexpr flash_chip chips[] = {
    {"S29GL064M", 0x0001, 0x227E, 0x2210, 0x2200, false, true, 0x0000},
    {"M29W640DT", 0x0020, 0x22DE, 0, 0, true, false, 0x0000},
    {"EN29LV640B", 0x007F, 0x22CB, 0, 0, false, false, 0x0000},
    {"MX29LV640MT", 0x00C2, 0x227E, 0x2210, 0x2201, true, true, 0x0000},
    {"MX29LV640BT", 0x00C2, 0x22C9, 0, 0, true, false, 0x0000},
};

constexpr unsigned boot_sectors = 8;
constexpr uint32_t boot_area_words = boot_sectors * flash_boot_sector_words; // one big sector
constexpr uint32_t top_boot_area = (flash_sector_count - boot_sectors) * flash_big_sector_words;

} // namespace

const flash_chip* flash_chip_by_name(const char* name)
{
    for (const flash_chip& c : chips)
        if (std::strcmp(c.name, name) == 0)
            return &c;
    return nullptr;
}

std::string flash_chip_names()
{
    std::string text;
    for (const flash_chip& c : chips)
        text += (text.empty() ? "" : ", ") + std::string(c.name);
    return text;
}

unsigned flash_sector_of(bool top_boot, uint32_t word)
{
    if (top_boot)
        return word < top_boot_area ? word / flash_big_sector_words
                                    : flash_sector_count - boot_sectors + (word - top_boot_area) / flash_boot_sector_words;
    return word < boot_area_words ? word / flash_boot_sector_words
                                  : boot_sectors + (word - boot_area_words) / flash_big_sector_words;
}

uint32_t flash_sector_start(bool top_boot, unsigned sector)
{
    if (top_boot)
        return sector < flash_sector_count - boot_sectors
                   ? sector * flash_big_sector_words
                   : top_boot_area + (sector - (flash_sector_count - boot_sectors)) * flash_boot_sector_words;
    return sector < boot_sectors ? sector * flash_boot_sector_words
                                 : boot_area_words + (sector - boot_sectors) * flash_big_sector_words;
}

uint32_t flash_sector_words(bool top_boot, unsigned sector)
{
    const bool boot = top_boot ? sector >= flash_sector_count - boot_sectors : sector < boot_sectors;
    return boot ? flash_boot_sector_words : flash_big_sector_words;
}

} // namespace sim
