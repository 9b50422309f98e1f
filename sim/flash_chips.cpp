// SPDX-License-Identifier: MIT
#include "sim/flash_chips.h"

#include <cstring>

#include "sim/listed_names.h"

namespace sim {

namespace {

// Codes as the vendors' datasheets give them for word mode. The older parts
// (M29W640D, EN29LV640, MX29LV640B) have no extended device code: they decode
// only the two lowest autoselect address lines, so words 0x0E and 0x0F answer
// as words 2 (sector protection, 0) and 3 (indicator word).
constexpr flash_chip chips[] = {
    {.name = "S29GL064M", .manufacturer = 0x0001, .device = 0x227E, .word_0e = 0x2210, .word_0f = 0x2200,
     .sectors = bottom_boot_sectors, .extended_id = true},
    {.name = "M29W640DT", .manufacturer = 0x0020, .device = 0x22DE, .sectors = top_boot_sectors},
    {.name = "EN29LV640B", .manufacturer = 0x007F, .device = 0x22CB, .sectors = bottom_boot_sectors},
    {.name = "MX29LV640MT", .manufacturer = 0x00C2, .device = 0x227E, .word_0e = 0x2210, .word_0f = 0x2201,
     .sectors = top_boot_sectors, .extended_id = true},
    {.name = "MX29LV640BT", .manufacturer = 0x00C2, .device = 0x22C9, .sectors = top_boot_sectors},
};

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
    return listed_names(chips, [](const flash_chip& c) { return c.name; });
}

unsigned flash_sector_of(sector_layout sectors, uint32_t word)
{
    return sector_index_of(sectors, word * 2);
}

uint32_t flash_sector_start(sector_layout sectors, unsigned sector)
{
    return sector_at_index(sectors, sector).offset / 2;
}

uint32_t flash_sector_words(sector_layout sectors, unsigned sector)
{
    return sector_at_index(sectors, sector).bytes / 2;
}

} // namespace sim
