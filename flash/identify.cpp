// SPDX-License-Identifier: MIT
#include "flash/identify.h"

#include <cstdio>

#include "board/board_init.h"
#include "flash/chip_table.h"
#include "flash/commands.h"
#include "flash/flash_bus.h"

uint32_t download_address = 0;
int32_t sector_count = -1;
uint32_t sector_table[flash_sector_max];
int32_t erase_wait_limit_s = 0;
uint16_t identified_codes[4] = {};
const chip_row* identified_chip = nullptr;

namespace {

const char* const unknown_text = "Unknown";

bool code_matches(int32_t expected, uint16_t read)
{
    return expected == any_code || static_cast<uint16_t>(expected) == read;
}

void fill_sector_table(sector_layout sectors)
{
    for (int32_t k = 0; k < sector_count; ++k)
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

    identified_codes[0] = manufacturer;
    identified_codes[1] = device;
    identified_codes[2] = word_0e;
    identified_codes[3] = word_0f;
    identified_chip = chip;
    if (chip != nullptr) {
        sector_count = static_cast<int32_t>(layout_sector_count(chip_sectors(*chip)));
        fill_sector_table(chip_sectors(*chip));
        erase_wait_limit_s = chip->erase_wait_s;
        download_address = flash_base + image_offset;
    }

    std::printf("Flash info. : %s %s\n", vendor, chip != nullptr ? chip->name : unknown_text);
    if (chip == nullptr) {
        std::printf("Flash recognize failed. Retry(0x%x, 0x%x)\n", manufacturer, device);
        return -1;
    }
    return 0;
}
