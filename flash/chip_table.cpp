// SPDX-License-Identifier: MIT
#include "flash/chip_table.h"

#include "flash/identify.h"

namespace {

constexpr uint32_t kib = 1024;
constexpr uint32_t mib = 1024 * kib;

// The slowest of these chips takes up to 15 s for one sector at its datasheet
// maximum (MX29LV640BT/DT; the others 3.5 s to 10 s). Twice that leaves room
// for ageing and temperature; a sector still busy then is protected or the
// chip is failing. One bound for all five, so a stuck sector reads alike.
constexpr int32_t erase_wait_64mbit_s = 30;

// 64 Mbit: 127 sectors of 64 KB and 8 of 8 KB, the small ones at the bottom or the top.
constexpr chip_row rows[] = {
    {.manufacturer = 0x0001, .vendor = "SPANSION", .device = 0x227E, .word_0e = 0x2210, .word_0f = 0x2200,
     .name = "S29GL064M R4", .bytes = 8 * mib, .erase_wait_s = erase_wait_64mbit_s,
     .regions = {{.count = 8, .bytes = 8 * kib}, {.count = 127, .bytes = 64 * kib}}},
    {.manufacturer = 0x0020, .vendor = "STMicroelectronics", .device = 0x22DE,
     .name = "M29W640DT", .bytes = 8 * mib, .erase_wait_s = erase_wait_64mbit_s,
     .regions = {{.count = 127, .bytes = 64 * kib}, {.count = 8, .bytes = 8 * kib}}},
    {.manufacturer = 0x007F, .vendor = "EON", .device = 0x22CB,
     .name = "EN29LV640B", .bytes = 8 * mib, .erase_wait_s = erase_wait_64mbit_s,
     .regions = {{.count = 8, .bytes = 8 * kib}, {.count = 127, .bytes = 64 * kib}}},
    {.manufacturer = 0x00C2, .vendor = "MX IC", .device = 0x227E, .word_0e = 0x2210, .word_0f = 0x2201,
     .name = "MX29LV640MT", .bytes = 8 * mib, .erase_wait_s = erase_wait_64mbit_s,
     .regions = {{.count = 127, .bytes = 64 * kib}, {.count = 8, .bytes = 8 * kib}}},
    {.manufacturer = 0x00C2, .vendor = "MX IC", .device = 0x22C9,
     .name = "MX29LV640BT/DT", .bytes = 8 * mib, .erase_wait_s = erase_wait_64mbit_s,
     .regions = {{.count = 127, .bytes = 64 * kib}, {.count = 8, .bytes = 8 * kib}}},
};

// identify writes a chip's sectors into sector_table.
static_assert([] {
    for (const chip_row& chip : rows)
        if (layout_sector_count(chip_sectors(chip)) > flash_sector_max)
            return false;
    return true;
}());

} // namespace

const std::span<const chip_row> chip_table{rows};
