// SPDX-License-Identifier: MIT
// A NOR flash chip's sector layout as its datasheet gives it: runs of equal
// sectors (count x size), from the chip's first byte up. Only the form is
// shared; the tool and the virtual box each keep their own chip rows.
#pragma once

#include <cstdint>
#include <span>

struct sector_region {
    uint32_t count;
    uint32_t bytes; // of each sector
};

using sector_layout = std::span<const sector_region>;

constexpr uint32_t layout_sector_count(sector_layout layout)
{
    uint32_t sectors = 0;
    for (const sector_region& r : layout)
        sectors += r.count;
    return sectors;
}

constexpr uint32_t layout_bytes(sector_layout layout)
{
    uint32_t bytes = 0;
    for (const sector_region& r : layout)
        bytes += r.count * r.bytes;
    return bytes;
}

// The region that holds sector k, and k's offset from the chip's first byte.
struct sector_place {
    uint32_t offset;
    uint32_t bytes;
};

constexpr sector_place sector_at_index(sector_layout layout, uint32_t k)
{
    uint32_t offset = 0;
    for (const sector_region& r : layout) {
        if (k < r.count)
            return {offset + k * r.bytes, r.bytes};
        offset += r.count * r.bytes;
        k -= r.count;
    }
    return {offset, 0};
}

// The index of the sector holding the byte at offset; the sector count past the end.
constexpr uint32_t sector_index_of(sector_layout layout, uint32_t offset)
{
    uint32_t first = 0;
    for (const sector_region& r : layout) {
        if (offset < r.count * r.bytes)
            return first + offset / r.bytes;
        offset -= r.count * r.bytes;
        first += r.count;
    }
    return first;
}
