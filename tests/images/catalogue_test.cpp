// SPDX-License-Identifier: MIT
// The embedded image catalogue: keys, lengths, layout, contents.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "images/catalogue.h"
#include "images/image_data.h"

namespace {

struct image_case {
    int32_t model_code;
    const char* file;
    int32_t words;
};

// In the order of the image block.
const image_case images[] = {
    {0, "zorvan50s-pal", 0x18000},   {10000, "zorvan50s-ntsc", 0x18000}, {1, "zorvan50c-pal", 0x18000},
    {10001, "zorvan50c-ntsc", 0x18000}, {4, "pellox-s-pal", 0x18000},    {10004, "pellox-s-ntsc", 0x18000},
    {5, "pellox-c-pal", 0x18000},    {10005, "pellox-c-ntsc", 0x18000},  {6, "pellox-max-pal", 0x20000},
    {2, "quilby70s-pal", 0x18000},   {3, "quilby90s-pal", 0x18000},      {10003, "quilby90s-ntsc", 0x18000},
};

std::vector<unsigned char> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Catalogue, EveryKeyGivesItsImageOfItsLength)
{
    for (const image_case& c : images) {
        SCOPED_TRACE(c.model_code);
        const image_entry* image = select_image(c.model_code);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->model_code, c.model_code);
        EXPECT_EQ(image->words, c.words);
    }
}

TEST(Catalogue, CodesWithoutABoardImageGiveNone)
{
    for (const int32_t code : {10002, 10006, -1, 7, 10007, 9999, 20000, 20001, INT32_MIN, INT32_MAX})
        EXPECT_EQ(select_image(code), nullptr) << code;
}

TEST(Catalogue, ImagesLieBackToBackInOneBlock)
{
    const unsigned char* next = image_block_begin;
    for (const image_case& c : images) {
        SCOPED_TRACE(c.model_code);
        const image_entry* image = select_image(c.model_code);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->bytes, next);
        next = image->bytes + 2 * image->words;
    }
    EXPECT_EQ(next, image_block_end);
    EXPECT_EQ(image_block_end - image_block_begin, 2424832);
}

// The data the tool carries is the build's image files, byte for byte.
TEST(Catalogue, EmbeddedImagesAreTheBuildsFiles)
{
    for (const image_case& c : images) {
        SCOPED_TRACE(c.file);
        const std::vector<unsigned char> file = read_file(std::string(VEXLOAD_IMAGE_DIR "/") + c.file + ".bin");
        const image_entry* image = select_image(c.model_code);
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(file.size(), static_cast<size_t>(2 * image->words));
        EXPECT_EQ(std::memcmp(file.data(), image->bytes, file.size()), 0);
    }
}

TEST(Catalogue, NoTwoImagesAreAlike)
{
    std::set<std::string> seen;
    for (const image_case& c : images) {
        const image_entry* image = select_image(c.model_code);
        ASSERT_NE(image, nullptr);
        EXPECT_TRUE(seen.insert(std::string(reinterpret_cast<const char*>(image->bytes), 2 * image->words)).second)
            << c.file;
    }
    for (const int32_t board : {0, 1, 3, 4, 5}) {
        const image_entry* pal = select_image(board);
        const image_entry* ntsc = select_image(board + 10000);
        ASSERT_NE(ntsc, nullptr);
        EXPECT_EQ(pal->words, ntsc->words);
        EXPECT_NE(std::memcmp(pal->bytes, ntsc->bytes, 2 * pal->words), 0) << board;
    }
}

TEST(Catalogue, WordsAreStoredLowByteFirst)
{
    const unsigned char bytes[] = {0xFF, 0xFF, 0x34, 0x12, 0x00, 0x80};
    const image_entry image{0, bytes, 3};
    EXPECT_EQ(image_word_at(image, 0), 0xFFFF);
    EXPECT_EQ(image_word_at(image, 1), 0x1234);
    EXPECT_EQ(image_word_at(image, 2), 0x8000);
}

#if VEXLOAD_PLACEHOLDER_IMAGES
// A placeholder is something a box could start: its last 32-bit word, at
// 0xFFFFFFFC once downloaded, is a relative branch into the image; and it
// has the erased runs of a real image.
TEST(Placeholders, EndInABranchIntoTheImageAndAreMostlyErased)
{
    for (const image_case& c : images) {
        SCOPED_TRACE(c.file);
        const image_entry* image = select_image(c.model_code);
        ASSERT_NE(image, nullptr);
        const uint32_t top = uint32_t{image_word_at(*image, image->words - 2)} << 16 |
                             image_word_at(*image, image->words - 1);
        EXPECT_EQ(top >> 26, 18u) << "opcode b";
        EXPECT_EQ(top & 3u, 0u) << "AA and LK clear";
        const int32_t displacement = static_cast<int32_t>(top << 6) >> 6 & ~3;
        const int64_t target = int64_t{2} * image->words - 4 + displacement;
        EXPECT_GE(target, 0);
        EXPECT_LT(target, int64_t{2} * image->words - 4);

        int32_t erased = 0;
        for (int32_t i = 0; i < image->words; ++i)
            erased += image_word_at(*image, i) == 0xFFFF;
        EXPECT_GT(erased, image->words / 2);
        EXPECT_LT(erased, image->words * 9 / 10);
    }
}

// Two runs of the generator write the same bytes.
TEST(Placeholders, TheGeneratorIsDeterministic)
{
    const std::string dir = testing::TempDir() + "vexload-images-again";
    ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
    std::string command = std::string("'" VEXLOAD_MAKE_IMAGES "' '") + dir + "'";
    for (const image_case& c : images)
        command += std::string(" ") + c.file + "=" + std::to_string(c.words);
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const image_case& c : images) {
        SCOPED_TRACE(c.file);
        const std::vector<unsigned char> again = read_file(dir + "/" + c.file + ".bin");
        const std::vector<unsigned char> built = read_file(std::string(VEXLOAD_IMAGE_DIR "/") + c.file + ".bin");
        EXPECT_EQ(again, built);
        std::remove((dir + "/" + c.file + ".bin").c_str());
    }
}
#endif

} // namespace
