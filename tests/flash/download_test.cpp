// SPDX-License-Identifier: MIT
// Download, verify, placement and the progress line against the exchange recorder.
#include <string>
#include <vector>

#include "flash/download.h"
#include "flash/flash_bus.h"
#include "flash/image_plan.h"
#include "flash/progress.h"
#include "flash/verify.h"
#include "target/memory.h"
#include "target/registers.h"
#include "tests/e2e/expected_output.h"
#include "tests/flash/bus_cycles.h"
#include "tests/flash/capture_stdout.h"
#include "tests/flash/flash_fixture.h"

namespace {

using cycles = std::vector<seen_cycle>;

// The run plans the image before the erase; download and verify read the plan.
int plan_for(int32_t model_code)
{
    const image_entry* image = select_image(model_code);
    return image != nullptr && plan_placed_image(image) ? 0 : -1;
}

void download(int32_t model_code)
{
    ASSERT_EQ(plan_for(model_code), 0);
    flash_download();
}

int verify(int32_t model_code)
{
    return plan_for(model_code) == 0 ? flash_verify() : -2;
}

const cycles bypass_entry = {write16(board_flash_base, 0xF0), write16(board_flash_base + 0xAAAA, 0xAA),
                             write16(board_flash_base + 0x5554, 0x55), write16(board_flash_base + 0xAAAA, 0x20)};

class Download : public FlashSteps {
protected:
    void SetUp() override
    {
        FlashSteps::SetUp();
        download_address = 0xFFFD0000;
    }
};

TEST_F(Download, EachWordIsOneStoreOfCommandAndDataThenPolled)
{
    test_image_set(0, {0x1234, 0xFFFF, 0x00A5, 0x8000});
    recorder_read_replies = {0x1234, 0x00A5, 0x8000};
    EXPECT_EQ(capture_stdout([] { download(0); }), "\rDownloading. 0%\rDownloading. done\n");
    cycles expected = bypass_entry;
    // Word 0's command cycle lands on the last word below the download area.
    expected.insert(expected.end(), {write32(0xFFFCFFFE, 0x00A01234), read16(0xFFFD0000, 0),
                                     write32(0xFFFD0002, 0x00A000A5), read16(0xFFFD0004, 0),
                                     write32(0xFFFD0004, 0x00A08000), read16(0xFFFD0006, 0)});
    EXPECT_EQ(recorded_cycles(), expected);
}

TEST_F(Download, ErasedWordsMakeNoBusCycleButStillDriveTheProgressLine)
{
    test_image_set(0, std::vector<uint16_t>(2049, 0xFFFF));
    EXPECT_EQ(capture_stdout([] { download(0); }),
              "\rDownloading. 0%\rDownloading. 49%\rDownloading.. done\n");
    EXPECT_EQ(recorded_cycles(), bypass_entry);
}

struct polling_case {
    const char* name;
    std::vector<uint32_t> replies; // then 0x0000
    size_t reads;
    bool programmed;
};

// Word 0x0080: DQ7 reads 0 while the chip is busy.
const polling_case polling_cases[] = {
    {"DQ7 matches at once", {0x0080}, 1, true},
    {"DQ7 matches, other bits still differ", {0xFFC0}, 1, true},
    {"busy three times, then done", {0x0000, 0x0040, 0x0000, 0x0080}, 4, true},
    {"DQ5 set, second read done", {0x0020, 0x0080}, 2, true},
    {"DQ5 set, second read still busy", {0x0020, 0x0000, 0x0080}, 2, false},
    {"DQ5 set after ten busy reads", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0060, 0x0040, 0x0080}, 12, false},
    {"100 busy reads, then done", [] {
         std::vector<uint32_t> r(100, 0x0000);
         r.push_back(0x0080);
         return r;
     }(), 101, true},
    {"101 busy reads", {}, 101, false},
};

TEST_F(Download, DataPollingDecidesOnDq7AndDq5)
{
    for (const polling_case& c : polling_cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        test_image_set(0, {0x0080, 0x1111});
        recorder_read_replies.assign(c.replies.begin(), c.replies.end());
        recorder_read_replies.push_back(0x0000);
        std::string printed;
        bool ended = false;
        try {
            capture_stdout([] { download(0); }, printed);
        } catch (const recorder_exit& exit) {
            ended = true;
            EXPECT_EQ(exit.status, -1);
        }
        // Word 1 (0x1111) reads back 0x0000, done at once by its DQ7.
        size_t reads = 0;
        bool second_word_programmed = false;
        for (const seen_cycle& cycle : recorded_cycles()) {
            reads += cycle == read16(0xFFFD0000, 0);
            second_word_programmed |= cycle == write32(0xFFFD0000, 0x00A01111);
        }
        EXPECT_EQ(reads, c.reads);
        EXPECT_EQ(ended, !c.programmed);
        if (c.programmed) {
            EXPECT_TRUE(second_word_programmed);
        } else {
            EXPECT_FALSE(second_word_programmed);
            EXPECT_EQ(printed, "\rDownloading. 0%failed.\nRetry after reboot Box.\n");
        }
    }
}

TEST_F(Download, TheLongImageEndsAtTheTopOfTheFlash)
{
    std::vector<uint16_t> image(0x20000, 0xFFFF);
    image.front() = 0x1111;
    image.back() = 0x2222;
    test_image_set(6, image);
    recorder_read_replies = {0x1111, 0x2222};
    capture_stdout([] { download(6); });
    cycles expected = bypass_entry;
    expected.insert(expected.end(), {write32(0xFFFBFFFE, 0x00A01111), read16(0xFFFC0000, 0),
                                     write32(0xFFFFFFFC, 0x00A02222), read16(0xFFFFFFFE, 0)});
    EXPECT_EQ(recorded_cycles(), expected);
}

TEST_F(Download, PlacementKeepsEveryImageInsideTheFlash)
{
    struct placement_case {
        uint32_t download;
        int32_t words;
        uint32_t address;
    };
    const placement_case cases[] = {
        {0xFFFD0000, 0x18000, 0xFFFD0000}, // ends exactly at the top
        {0xFFFD0000, 1, 0xFFFD0000},
        {0xFFFD0000, 0x18001, 0xFFFCFFFE},
        {0xFFFD0000, 0x20000, 0xFFFC0000},
        {0xFFFD0000, 0x400000, 0xFF800000}, // the whole flash
        {0xFFFD0000, 0x400001, 0},          // larger than the flash
        {0xFFFD0000, 0, 0},
        {0xFFFD0000, -5, 0},
        {0, 0x18000, 0}, // no chip identified
        {0xFF900000, 0x20000, 0xFF900000},
    };
    for (const placement_case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.download << " " << c.words);
        download_address = c.download;
        EXPECT_EQ(place_image(c.words), c.address);
    }
}

// Every byte of a whole run: of 64 words and of 0x800 (the lines at word 0,
// at 1024 and at the last), and of the image lengths, as written out for the
// end-to-end runs.
TEST(ProgressLine, WholeRuns)
{
    struct run_case {
        int32_t count;
        const char* title;
        std::string text;
    };
    const run_case cases[] = {
        {64, "Checking.", "\rChecking. 0%\rChecking. done\n"},
        {0x800, "Downloading.", "\rDownloading. 0%\rDownloading. 50%\rDownloading. done\n"},
        {0x18000, "Downloading.", expected::progress("Downloading.", 0x18000)},
        {0x20000, "Checking.", expected::progress("Checking.", 0x20000)},
    };
    for (const run_case& c : cases) {
        SCOPED_TRACE(c.count);
        const std::string printed = capture_stdout([&] {
            for (int32_t i = 0; i < c.count; ++i)
                progress_line(c.title, i, c.count);
        });
        EXPECT_EQ(printed, c.text);
    }
}

TEST(ProgressLine, SingleLines)
{
    EXPECT_EQ(capture_stdout([] { progress_line("Checking.", 0, 0x18000); }), "\rChecking. 0%");
    EXPECT_EQ(capture_stdout([] { progress_line("Checking.", 1, 0x18000); }), "");
    EXPECT_EQ(capture_stdout([] { progress_line("Checking.", 1023, 0x18000); }), "");
    EXPECT_EQ(capture_stdout([] { progress_line("Checking.", 97280, 0x18000); }),
              std::string("\rChecking.").append(55, '.').append(" 98%"));
    EXPECT_EQ(capture_stdout([] { progress_line("Checking.", 0, 1); }), "\rChecking. done\n");
    EXPECT_EQ(capture_stdout([] { progress_line("Checking.", 1024, 1025); }), "\rChecking. done\n");
}

class Verify : public Download {};

TEST_F(Verify, AMatchingFlashIsReadWordByWordAfterOneReset)
{
    test_image_set(0, {0x1234, 0xFFFF, 0x0000});
    recorder_read_replies = {0x1234, 0xFFFF, 0x0000};
    int result = -1;
    EXPECT_EQ(capture_stdout([&] { result = verify(0); }), "\rChecking. 0%\rChecking. done\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(recorded_cycles(), (cycles{write16(board_flash_base, 0xF0), read16(0xFFFD0000, 0),
                                         read16(0xFFFD0002, 0), read16(0xFFFD0004, 0)}));
}

TEST_F(Verify, TheFirstMismatchIsReportedWithTheSecondRead)
{
    test_image_set(0, {0x1A2B, 0x1111});
    recorder_read_replies = {0x1111, 0x00FF};
    int result = 0;
    EXPECT_EQ(capture_stdout([&] { result = verify(0); }), "\rChecking. 0% error(0x00FF, 0x1A2B)\n");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(recorded_cycles(),
              (cycles{write16(board_flash_base, 0xF0), read16(0xFFFD0000, 0), read16(0xFFFD0000, 0)}));
}

TEST_F(Verify, AnErasedImageWordMustReadErased)
{
    test_image_set(0, {0xFFFF, 0xFFFF});
    recorder_read_replies = {0xFFFF, 0x0000, 0x0000};
    int result = 0;
    EXPECT_EQ(capture_stdout([&] { result = verify(0); }),
              "\rChecking. 0%\rChecking. done\n error(0x0000, 0xFFFF)\n");
    EXPECT_EQ(result, -1);
}

} // namespace
