// SPDX-License-Identifier: MIT
// The flash steps driving the virtual box's chips through the whole link:
// cable, TAP, debug unit, core, bus and NOR flash.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "board/board_init.h"
#include "app/programming.h"
#include "flash/download.h"
#include "flash/image_plan.h"
#include "flash/erase.h"
#include "flash/identify.h"
#include "flash/verify.h"
#include "app/run_sequence.h"
#include "images/catalogue.h"
#include "images/image_source.h"
#include "link/debug_exchange.h"
#include "sim/box.h"
#include "sim/clock.h"
#include "sim/faults.h"
#include "sim/flash.h"
#include "sim/program/image_check.h"
#include "target/reset_and_halt.h"
#include "tests/flash/capture_stdout.h"
#include "tests/flash/run_child.h"

namespace {

constexpr uint32_t flash_words = 0x400000;

uint16_t flash_word_at(uint32_t address)
{
    return sim::flash_array()[(address - sim::flash_window_base) / 2];
}

// A box with the chip fitted, its array holding old contents (no word
// erased), the core halted and the board's flash window set.
void power_on(const char* chip, const sim::fault_set& faults = {})
{
    sim::faults = faults;
    ASSERT_TRUE(sim::flash_select_chip(chip)) << chip;
    uint16_t* array = sim::flash_array();
    for (uint32_t w = 0; w < flash_words; ++w)
        array[w] = static_cast<uint16_t>(w * 0x9E37u) & 0x7FFEu;
    sim::box_power_on();
    capture_stdout([] {
        reset_and_halt();
        ignore_link_status = 0;
    });
    flash_base = 0xFF800000;
    image_offset = 0x7D0000;
    download_address = 0;
    sector_count = -1;
}

void identify_and_erase()
{
    ASSERT_EQ(capture_stdout([] { ASSERT_EQ(flash_identify(), 0); }).rfind("Flash info. : ", 0), 0u);
    capture_stdout(flash_erase);
}

// The two words of the error line that must end a verify's output: after its
// last carriage return, "Checking", dots, " NN% error(0xRRRR, 0xEEEE)" and the
// line end, four upper-case hex digits to a word. False for any other ending.
bool verify_error_words(const std::string& out, std::string& read, std::string& expected)
{
    size_t at = out.rfind('\r');
    if (at == std::string::npos)
        return false;
    auto take = [&](std::string_view text) {
        const bool there = out.compare(at, text.size(), text) == 0;
        at += there ? text.size() : 0;
        return there;
    };
    auto run_of = [&](auto in_class) {
        const size_t from = at;
        while (at < out.size() && in_class(out[at]))
            ++at;
        return at - from;
    };
    auto hex_word = [&](std::string& word) {
        const size_t from = at;
        word = out.substr(from, 4);
        return run_of([](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }) == 4;
    };
    return take("\rChecking") && run_of([](char c) { return c == '.'; }) > 0 && take(" ") &&
           run_of([](char c) { return c >= '0' && c <= '9'; }) > 0 && take("% error(0x") && hex_word(read) &&
           take(", 0x") && hex_word(expected) && take(")\n") && at == out.size();
}

class FlashBox : public testing::Test {
protected:
    void TearDown() override
    {
        sim::faults = {};
    }
};

TEST_F(FlashBox, EveryChipIsIdentifiedWithItsLayout)
{
    struct chip_case {
        const char* chip;
        const char* line;
        uint32_t sector_134;
    };
    const chip_case cases[] = {
        {"S29GL064M", "Flash info. : SPANSION S29GL064M R4\n", 0xFFFF0000},
        {"M29W640DT", "Flash info. : STMicroelectronics M29W640DT\n", 0xFFFFE000},
        {"EN29LV640B", "Flash info. : EON EN29LV640B\n", 0xFFFF0000},
        {"MX29LV640MT", "Flash info. : MX IC MX29LV640MT\n", 0xFFFFE000},
        {"MX29LV640BT", "Flash info. : MX IC MX29LV640BT/DT\n", 0xFFFFE000},
    };
    for (const chip_case& c : cases) {
        SCOPED_TRACE(c.chip);
        power_on(c.chip);
        int result = -1;
        EXPECT_EQ(capture_stdout([&] { result = flash_identify(); }), c.line);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(sector_count, 135);
        EXPECT_EQ(sector_table[134], c.sector_134);
        EXPECT_EQ(download_address, 0xFFFD0000u);
    }
}

TEST_F(FlashBox, UnknownCodesAndAMissingChipAreRefused)
{
    struct id_case {
        uint16_t manufacturer, device, word_0e, word_0f;
        const char* output;
    };
    const id_case cases[] = {
        {0x0001, 0x227E, 0x2210, 0x2201,
         "Flash info. : SPANSION Unknown\nFlash recognize failed. Retry(0x1, 0x227e)\n"},
        {0x0089, 0x227E, 0x2210, 0x2200,
         "Flash info. : Unknown Unknown\nFlash recognize failed. Retry(0x89, 0x227e)\n"},
    };
    for (const id_case& c : cases) {
        SCOPED_TRACE(c.output);
        power_on("M29W640DT");
        sim::flash_set_chip_id(c.manufacturer, c.device, c.word_0e, c.word_0f);
        int result = 0;
        EXPECT_EQ(capture_stdout([&] { result = flash_identify(); }), c.output);
        EXPECT_EQ(result, -1);
        EXPECT_EQ(sector_count, -1);
        EXPECT_EQ(download_address, 0u);
    }

    sim::fault_set no_chip;
    no_chip.no_chip = true;
    power_on("M29W640DT", no_chip);
    int result = 0;
    EXPECT_EQ(capture_stdout([&] { result = flash_identify(); }),
              "Flash info. : Unknown Unknown\nFlash recognize failed. Retry(0xffff, 0xffff)\n");
    EXPECT_EQ(result, -1);
}

TEST_F(FlashBox, EraseEmptiesAllSectorsOneDotEach)
{
    for (const char* chip : {"EN29LV640B", "MX29LV640MT"}) {
        SCOPED_TRACE(chip);
        power_on(chip);
        capture_stdout([] { ASSERT_EQ(flash_identify(), 0); });
        EXPECT_EQ(capture_stdout(flash_erase), "Erase flash(all)" + std::string(135, '.') + " done\n");
        const uint16_t* array = sim::flash_array();
        EXPECT_TRUE(std::all_of(array, array + flash_words, [](uint16_t w) { return w == 0xFFFF; }));
    }
}

TEST_F(FlashBox, AStuckSectorEndsTheRunNamingIt)
{
    sim::fault_set stuck;
    stuck.erase_stuck = 5;
    power_on("M29W640DT", stuck);
    const child_result run = run_in_child([] {
        flash_identify();
        flash_erase();
        plan_image(0);
        flash_download(); // must not be reached
    });
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.out, "Flash info. : STMicroelectronics M29W640DT\nErase flash(all)...... failed.\n"
                       "Sector 5 at 0xFF850000 is not erased after 30 seconds.\n");
}

uint64_t clock_start_ns;

// From here to the end of the process, the box's clock: its reading is the
// last line the child prints.
void time_to_exit()
{
    clock_start_ns = sim::now_ns();
    sim::box_set_exit_hook([](int) { std::printf("\nwaited %llu us\n", (sim::now_ns() - clock_start_ns) / 1000ull); });
}

unsigned long long waited_us(const child_result& run)
{
    const size_t at = run.out.rfind("waited ");
    return at == std::string::npos ? 0ull : std::stoull(run.out.substr(at + 7));
}

// A stuck sector is given up 30 s after its erase command (twice the chips'
// 15 s datasheet maximum), polled once a second: the box's clock at the exit.
TEST_F(FlashBox, EraseGivesUpAStuckSectorAfterThirtySeconds)
{
    sim::fault_set stuck;
    stuck.erase_stuck = 0;
    power_on("EN29LV640B", stuck);
    capture_stdout([] { ASSERT_EQ(flash_identify(), 0); });
    const child_result run = run_in_child([] {
        time_to_exit();
        flash_erase();
    });
    EXPECT_EQ(run.status, 255);
    const unsigned long long waited_ms = waited_us(run) / 1000;
    EXPECT_GE(waited_ms, 30000u) << run.out;
    EXPECT_LT(waited_ms, 31000u) << run.out;
}

// A build carrying placeholder images proves cable, box and chip, then stops
// before the erase with exit status 4: the box's flash keeps what it had.
TEST_F(FlashBox, PlaceholderImagesStopBeforeTheEraseWithStatusFour)
{
    if (!images_are_placeholders)
        GTEST_SKIP() << "built with real images";
    power_on("S29GL064M");
    const std::vector<uint16_t> before(sim::flash_array(), sim::flash_array() + flash_words);
    const bool allowed = placeholder_images_allowed;
    placeholder_images_allowed = false;
    int32_t status = -1;
    const std::string out = capture_stdout([&] { status = run_programming(0, true); });
    placeholder_images_allowed = allowed;
    EXPECT_EQ(status, 4);
    EXPECT_NE(out.find("Flash info. : SPANSION S29GL064M R4\n"), std::string::npos) << out;
    EXPECT_TRUE(out.ends_with("This build carries placeholder images, not the real bootloader: nothing was erased. "
                              "Build vexload with -DVEXLOAD_IMAGE_DIR=<folder of the real images>.\n"))
        << out;
    EXPECT_TRUE(std::equal(before.begin(), before.end(), sim::flash_array()));
}

// After download and verify the image lies at its place, the rest of the
// flash is erased, and the core would fetch a branch at 0xFFFFFFFC.
TEST_F(FlashBox, DownloadAndVerifyLeaveTheImageAtItsPlace)
{
    struct run_case {
        int32_t model_code;
        const char* chip;
        uint32_t start;
        int dots;
    };
    for (const run_case& c : {run_case{10004, "S29GL064M", 0xFFFD0000, 55}, run_case{6, "MX29LV640BT", 0xFFFC0000, 73}}) {
        SCOPED_TRACE(c.model_code);
        power_on(c.chip);
        identify_and_erase();
        ASSERT_EQ(plan_image(c.model_code), 0);
        const image_entry* image = planned_image;
        ASSERT_EQ(image_address, c.start);

        const std::string downloaded = capture_stdout(flash_download);
        EXPECT_TRUE(downloaded.ends_with("\rDownloading." + std::string(c.dots, '.') + " done\n"));
        int result = -1;
        const std::string checked = capture_stdout([&] { result = flash_verify(); });
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(checked.rfind("\rChecking. 0%", 0) == 0);
        EXPECT_TRUE(checked.ends_with("\rChecking." + std::string(c.dots, '.') + " done\n"));

        const uint16_t* array = sim::flash_array();
        const uint32_t first = (c.start - sim::flash_window_base) / 2;
        for (uint32_t w = 0; w < first; ++w)
            ASSERT_EQ(array[w], 0xFFFF) << "word " << w;
        for (int32_t i = 0; i < image->words; ++i)
            ASSERT_EQ(array[first + i], image_word_at(*image, i)) << "image word " << i;
        EXPECT_EQ(first + image->words, flash_words);
        const uint32_t top = uint32_t{flash_word_at(0xFFFFFFFC)} << 16 | flash_word_at(0xFFFFFFFE);
        EXPECT_EQ(top >> 26, 18u) << std::hex << top;
    }
}

// The plan refuses before the erase, with its one message, and plans nothing.
TEST_F(FlashBox, AnImageThatCannotBeWrittenIsRefusedByThePlan)
{
    power_on("S29GL064M");
    capture_stdout([] { ASSERT_EQ(flash_identify(), 0); });
    int result = 0;
    EXPECT_EQ(capture_stdout([&] { result = plan_image(10002); }), "Unknown model:10002\n");
    EXPECT_EQ(result, -1);
    download_address = 0xFFFF0000; // no room above for the 0x20000-word image
    flash_base = 0xFFFF0000;
    EXPECT_EQ(capture_stdout([&] { result = plan_image(6); }),
              "Image of 131072 words does not fit the flash. Nothing was erased.\n");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(planned_image, nullptr);
}

// One run in a child per test: on Windows the child repeats the test up to it.
class FlashBoxProgramFault : public FlashBox, public testing::WithParamInterface<bool> {};

TEST_P(FlashBoxProgramFault, AWordThatWillNotProgramEndsTheRun)
{
    sim::fault_set fault;
    (GetParam() ? fault.slow_program : fault.program_fail) = 3;
    power_on("EN29LV640B", fault);
    identify_and_erase();
    const child_result run = run_in_child([] {
        plan_image(0);
        flash_download();
    });
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.out, "\rDownloading. 0%failed.\nRetry after reboot Box.\n");
}

INSTANTIATE_TEST_SUITE_P(SlowOrFailing, FlashBoxProgramFault, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "SlowProgram" : "ProgramFail";
                         });

// Data polling on a word that will not program: DQ5 set (the chip's time
// limit passed) ends the wait at once, where a word still programming is
// polled up to the limit. By the box's clock, the failing word costs a small
// part of the slow one's 100 reads.
TEST_F(FlashBox, Dq5EndsTheDataPollingBeforeItsLimit)
{
    auto download_us = [](bool slow) {
        sim::fault_set fault;
        (slow ? fault.slow_program : fault.program_fail) = 0;
        power_on("EN29LV640B", fault);
        identify_and_erase();
        const child_result run = run_in_child([] {
            plan_image(0);
            time_to_exit();
            flash_download();
        });
        EXPECT_EQ(run.status, 255);
        return waited_us(run);
    };
    const unsigned long long failing = download_us(false);
    const unsigned long long slow = download_us(true);
    EXPECT_GT(failing, 0u);
    EXPECT_LT(failing * 10, slow);
}

TEST_F(FlashBox, VerifyReportsAWordThatReadsBackWrong)
{
    sim::fault_set fault;
    fault.verify_mismatch = 2000;
    power_on("MX29LV640MT", fault);
    identify_and_erase();
    ASSERT_EQ(plan_image(1), 0);
    capture_stdout(flash_download);
    int result = 0;
    const std::string checked = capture_stdout([&] { result = flash_verify(); });
    EXPECT_EQ(result, -1);
    std::string read, expected;
    ASSERT_TRUE(verify_error_words(checked, read, expected)) << checked;
    EXPECT_NE(read, expected);
}

// The box's summary judges by where the box starts an image (its last word
// under the reset vector), not by where the tool meant to write it: a tool
// that moves its download address is told no.
TEST_F(FlashBox, TheBoxFindsTheImageWhereItStartsIt)
{
    struct placement_case {
        int32_t model_code;
        int32_t moved_by; // bytes added to the tool's download_address
        bool in_flash;
    };
    const placement_case cases[] = {
        {0, 0, true}, {6, 0, true}, {10003, -0x10000, false}, {10003, -2, false},
    };
    for (const placement_case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.model_code << " moved by " << c.moved_by);
        power_on("S29GL064M");
        identify_and_erase();
        download_address += static_cast<uint32_t>(c.moved_by);
        ASSERT_EQ(plan_image(c.model_code), 0);
        capture_stdout(flash_download);
        run_model_code = c.model_code;
        EXPECT_EQ(image_in_flash(), c.in_flash);
    }
    run_model_code = -1;
}

} // namespace
