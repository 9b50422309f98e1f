// SPDX-License-Identifier: MIT
#include "flash/identify.h"

#include <cstdio>

#include "board/board_init.h"
#include "flash/commands.h"
#include "flash/flash_bus.h"

uint32_t download_address = 0;
int32_t sector_count = -1;
uint32_t sector_table[flash_sector_max];

namespace {

enum class sector_layout { bottom_boot, top_boot };

constexpr int32_t any_code = -1; // read, not compared

struct chip_row {
    uint16_t manufacturer;
    const char* vendor;
    uint16_t device;
    int32_t word_0e;
    int32_t word_0f;
    const char* name;
    sector_layout layout;
};

// Rows of one manufacturer are tried in order; the first whose compared
// words all match names the chip.
constexpr chip_row chip_table[] = {
    {0x0001, "SPANSION", 0x227E, 0x2210, 0x2200, "S29GL064M R4", sector_layout::bottom_boot},
    {0x0020, "STMicroelectronics", 0x22DE, any_code, any_code, "M29W640DT", sector_layout::top_boot},
    {0x007F, "EON", 0x22CB, any_code, any_code, "EN29LV640B", sector_layout::bottom_boot},
    {0x00C2, "MX IC", 0x227E, 0x2210, 0x2201, "MX29LV640MT", sector_layout::top_boot},
    {0x00C2, "MX IC", 0x22C9, any_code, any_code, "MX29LV640BT/DT", sector_layout::top_boot},
};

const char* const unknown_text = "Unknown";

constexpr int32_t small_sectors = 8;
constexpr uint32_t small_sector_bytes = 0x2000;
constexpr uint32_t large_sector_bytes = 0x10000;
constexpr uint32_t top_small_sectors_offset = 0x7F0000;
constexpr int32_t top_first_small = flash_sector_max - small_sectors;

bool code_matches(int32_t expected, uint16_t read)
{
    return expected == any_code || static_cast<uint16_t>(expected) == read;
}

void fill_sector_table(sector_layout layout)
{
    for (int32_t k = 0; k < flash_sector_max; ++k) {
        const uint32_t u = static_cast<uint32_t>(k);
        uint32_t offset;
        if (layout == sector_layout::bottom_boot)
            offset = k < small_sectors ? u * small_sector_bytes
                                       : large_sector_bytes + (u - small_sectors) * large_sector_bytes;
        else
            offset = k < top_first_small ? u * large_sector_bytes
                                         : top_small_sectors_offset + (u - top_first_small) * small_sector_bytes;
        sector_table[k] = flash_base + offset;
    }
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
        fill_sector_table(chip->layout);
        download_address = flash_base + image_offset;
    }

    std::printf("Flash info. : %s %s\n", vendor, chip != nullptr ? chip->name : unknown_text);
    if (chip == nullptr) {
        std::printf("Flash recognize failed. Retry(0x%x, 0x%x)\n", manufacturer, device);
        return -1;
    }
    return 0;
}
