// SPDX-License-Identifier: MIT
// A model table with one row more than the project's: the new model is known
// by name, offered in both video formats, and its images join the block,
// while every model before it keeps its code, message and image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "app/models.h"
#include "images/catalogue.h"
#include "images/image_data.h"

namespace {

struct model_case {
    const char* name;
    int32_t index;
    const char* pal_message;  // nullptr: refused
    const char* ntsc_message; // nullptr: refused
    int32_t pal_words;        // 0: no image
    int32_t ntsc_words;
};

const model_case models[] = {
    {"zorvan50s", 0, "zorvan50s(PAL) board initialize\n", "zorvan50s(NTSC) board initialize\n", 0x18000, 0x18000},
    {"quilby70s", 2, nullptr, nullptr, 0x18000, 0},
    {"pellox-max", 6, "pellox-max board initialize\n", nullptr, 0x20000, 0},
    {"VexMini", ONE_MORE_CODE, "vexmini(PAL) board initialize\n", "vexmini(NTSC) board initialize\n", 0x1000, 0x1800},
};

std::string text_of(const char* message)
{
    return message == nullptr ? "(refused)" : message;
}

TEST(OneMoreModel, IsKnownAndCarriedBesideTheOthers)
{
    for (const model_case& m : models) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(model_index_of(m.name), m.index);
        EXPECT_EQ(text_of(board_message_of(m.index)), text_of(m.pal_message));
        EXPECT_EQ(text_of(board_message_of(m.index + 10000)), text_of(m.ntsc_message));
        const image_entry* pal = select_image(m.index);
        const image_entry* ntsc = select_image(m.index + 10000);
        EXPECT_EQ(pal == nullptr ? 0 : pal->words, m.pal_words);
        EXPECT_EQ(ntsc == nullptr ? 0 : ntsc->words, m.ntsc_words);
    }
    EXPECT_EQ(model_script(ONE_MORE_CODE + 10000), script_pellox);
    EXPECT_EQ(model_index_of("vexmaxi"), -1);
    EXPECT_EQ(board_message_of(ONE_MORE_CODE + 1), nullptr);
}

// The new images come last in the block, right after the old ones.
TEST(OneMoreModel, ItsImagesEndTheBlock)
{
    const image_entry* pal = select_image(ONE_MORE_CODE);
    const image_entry* ntsc = select_image(ONE_MORE_CODE + 10000);
    ASSERT_NE(pal, nullptr);
    ASSERT_NE(ntsc, nullptr);
    const unsigned char* old_end = image_block_begin;
    for (const image_entry& e : catalogue_images())
        if (e.model_code % 10000 != ONE_MORE_CODE)
            old_end = std::max(old_end, e.bytes + 2 * e.words);
    EXPECT_EQ(pal->bytes, old_end);
    EXPECT_EQ(ntsc->bytes, pal->bytes + 2 * 0x1000);
    EXPECT_EQ(image_block_end, ntsc->bytes + 2 * 0x1800);
}

} // namespace
