// SPDX-License-Identifier: MIT
// The tool's own tables, checked as tables: the flash chips, and the models
// with their board families and images.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "flash/chip_table.h"
#include "flash/identify.h"
#include "images/catalogue.h"
#include "model_table.h"

namespace {

// A word the row compares against what the other row accepts: some chip answers both.
bool both_accept(int32_t a, int32_t b)
{
    return a == any_code || b == any_code || a == b;
}

TEST(SelfCheck, EveryChipIsItsRegionsAndWaitsForItsSectors)
{
    for (const chip_row& chip : chip_table) {
        SCOPED_TRACE(chip.name);
        EXPECT_EQ(layout_bytes(chip_sectors(chip)), chip.bytes);
        EXPECT_LE(layout_sector_count(chip_sectors(chip)), static_cast<uint32_t>(flash_sector_max));
        EXPECT_GT(chip.erase_wait_s, 0);
    }
}

// No autoselect answer names two chips, and a maker has one vendor text.
TEST(SelfCheck, ChipCodesAreUnique)
{
    for (size_t i = 0; i < chip_table.size(); ++i)
        for (size_t j = i + 1; j < chip_table.size(); ++j) {
            const chip_row& a = chip_table[i];
            const chip_row& b = chip_table[j];
            if (a.manufacturer != b.manufacturer)
                continue;
            EXPECT_STREQ(a.vendor, b.vendor);
            EXPECT_FALSE(a.device == b.device && both_accept(a.word_0e, b.word_0e) &&
                         both_accept(a.word_0f, b.word_0f))
                << a.name << " and " << b.name;
        }
}

// Every model_code offered (one with a board message) has a family and an
// image, a model offered in neither format has at least an image, every
// family is some offered model's, and no two models share a name.
TEST(SelfCheck, ModelsHaveFamiliesAndImagesAndFamiliesHaveModels)
{
    std::set<std::string> names;
    std::set<int32_t> families;
    for (int32_t row = 0; row < model_count; ++row) {
        SCOPED_TRACE(model_rows[row].name);
        EXPECT_TRUE(names.insert(model_rows[row].name).second);
        bool offered = false;
        for (const int32_t video : {video_offset_pal, video_offset_ntsc}) {
            const int32_t code = row + video;
            if (model_board_message(code) == nullptr)
                continue;
            offered = true;
            EXPECT_NE(model_script(code), no_script) << code;
            EXPECT_NE(select_image(code), nullptr) << code;
            families.insert(model_script(code));
        }
        EXPECT_TRUE(offered || select_image(row) != nullptr) << "neither a board nor an image";
    }
    std::set<int32_t> columns;
    for (int32_t column = 0; column < script_columns; ++column)
        columns.insert(column);
    EXPECT_EQ(families, columns);
}

} // namespace
