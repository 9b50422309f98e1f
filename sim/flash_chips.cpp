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

flash_chip custom_chip(uint16_t manufacturer, uint16_t device, uint16_t word_0e, uint16_t word_0f)
{
    return flash_chip{.name = "custom",
                      .manufacturer = manufacturer,
                      .device = device,
                      .word_0e = word_0e,
                      .word_0f = word_0f,
                      .sectors = top_boot_sectors,
                      .extended_id = true};
}

uint16_t autoselect_word(const flash_chip& c, uint32_t w)
{
    switch (c.extended_id ? (w & 0xFF) : (w & 0x3)) {
    case 0x00:
        return c.manufacturer;
    case 0x01:
        return c.device;
    case 0x02:
        return 0; // sector not protected
    case 0x03:
        return c.word_03;
    case 0x0E:
        return c.word_0e;
    case 0x0F:
        return c.word_0f;
    default:
        return 0;
    }
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
