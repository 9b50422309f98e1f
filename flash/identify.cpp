// SPDX-License-Identifier: MIT
#include "flash/identify.h"

#include <cstdio>

#include "board/board_init.h"
#include "common/sector_regions.h"
#include "flash/commands.h"
#include "flash/flash_bus.h"

uint32_t download_address = 0;
int32_t sector_count = -1;
uint32_t sector_table[flash_sector_max];

namespace {

constexpr int32_t any_code = -1; // read, not compared

// 127 sectors of 64 KB and 8 of 8 KB, the small ones at the bottom or the top.
constexpr sector_region bottom_boot[] = {{8, 0x2000}, {127, 0x10000}};
constexpr sector_region top_boot[] = {{127, 0x10000}, {8, 0x2000}};
static_assert(layout_sector_count(bottom_boot) == flash_sector_max && layout_sector_count(top_boot) == flash_sector_max);

struct chip_row {
    uint16_t manufacturer;
    const char* vendor;
    uint16_t device;
    int32_t word_0e = any_code;
    int32_t word_0f = any_code;
    const char* name;
    sector_layout sectors;
};

// Rows of one manufacturer are tried in order; the first whose compared
// words all match names the chip.
constexpr chip_row chip_table[] = {
    {.manufacturer = 0x0001, .vendor = "SPANSION", .device = 0x227E, .word_0e = 0x2210, .word_0f = 0x2200,
     .name = "S29GL064M R4", .sectors = bottom_boot},
    {.manufacturer = 0x0020, .vendor = "STMicroelectronics", .device = 0x22DE, .name = "M29W640DT", .sectors = top_boot},
    {.manufacturer = 0x007F, .vendor = "EON", .device = 0x22CB, .name = "EN29LV640B", .sectors = bottom_boot},
    {.manufacturer = 0x00C2, .vendor = "MX IC", .device = 0x227E, .word_0e = 0x2210, .word_0f = 0x2201,
     .name = "MX29LV640MT", .sectors = top_boot},
    {.manufacturer = 0x00C2, .vendor = "MX IC", .device = 0x22C9, .name = "MX29LV640BT/DT", .sectors = top_boot},
};

const char* const unknown_text = "Unknown";

bool code_matches(int32_t expected, uint16_t read)
{
    return expected == any_code || static_cast<uint16_t>(expected) == read;
}

void fill_sector_table(sector_layout sectors)
{
    for (int32_t k = 0; k < flash_sector_max; ++k)
        sector_table[k] = flash_base + sector_at_index(sectors, static_cast<uint32_t>(k)).offset;
}

void enter_autoselect()
{
    flash_reset();
    flash_command(command_autoselect);
}

} // namespace

int flash_identify()
{
    enter_autoselect();
    const uint16_t manufacturer = flash_read16(flash_base);
    enter_autoselect();
    const uint16_t device = flash_read16(flash_base + 0x02);
    const uint16_t word_0e = flash_read16(flash_base + 0x1C);
    const uint16_t word_0f = flash_read16(flash_base + 0x1E);
    // The chip stays in autoselect mode; every later step starts with a reset.

    const char* vendor = unknown_text;
    const chip_row* chip = nullptr;
    for (const chip_row& row : chip_table) {
        if (row.manufacturer != manufacturer)
            continue;
        vendor = row.vendor;
        if (row.device == device && code_matches(row.word_0e, word_0e) && code_matches(row.word_0f, word_0f)) {
            chip = &row;
            break;
        }
    }

    if (chip != nullptr) {
        sector_count = flash_sector_max;
        fill_sector_table(chip->sectors);
        download_address = flash_base + image_offset;
    }

    std::printf("Flash info. : %s %s\n", vendor, chip != nullptr ? chip->name : unknown_text);
    if (chip == nullptr) {
        std::printf("Flash recognize failed. Retry(0x%x, 0x%x)\n", manufacturer, device);
        return -1;
    }
    return 0;
}
