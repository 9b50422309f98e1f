// SPDX-License-Identifier: MIT
// The flash chips the tool identifies: one row per chip, as its datasheet
// gives it.
#pragma once

#include <cstdint>
#include <span>

#include "common/sector_regions.h"

constexpr int32_t any_code = -1; // an autoselect word that is read, not compared
constexpr int chip_regions_max = 4;

struct chip_row {
    uint16_t manufacturer; // autoselect word 0
    const char* vendor;
    uint16_t device; // autoselect word 1
    int32_t word_0e = any_code; // the extended device code, words 0x0E and 0x0F
    int32_t word_0f = any_code;
    const char* name;
    uint32_t bytes; // the whole chip
    int32_t erase_wait_s; // seconds the erase waits for one sector before it gives up
    sector_region regions[chip_regions_max]; // from the chip's first byte up; unused ones {0, 0}
};

// Rows of one manufacturer are tried in order; the first whose compared
// words all match names the chip.
extern const std::span<const chip_row> chip_table;

constexpr sector_layout chip_sectors(const chip_row& chip)
{
    return chip.regions;
}
