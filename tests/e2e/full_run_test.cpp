// SPDX-License-Identifier: MIT
// Whole programming runs of vexload on the virtual box: standard output byte
// for byte, exit status, and the flash the run leaves behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/box_files.h"
#include "tests/e2e/expected_output.h"
#include "tests/support/run_program.h"

namespace {

struct model_case {
    const char* name;
    std::vector<std::string> args;
    const char* board_message;
    const char* image_file;
    int words;
    uint32_t address; // where the image's first word belongs
};

void PrintTo(const model_case& c, std::ostream* out)
{
    *out << c.name;
}

const model_case models[] = {
    {"zorvan50s_pal", {"-m", "zorvan50s", "-c", "1"}, "zorvan50s(PAL) board initialize\n", "zorvan50s-pal", 0x18000, download_area},
    {"zorvan50s_ntsc", {"-m", "ZORVAN50S", "-o", "ntsc", "-c", "1"}, "zorvan50s(NTSC) board initialize\n", "zorvan50s-ntsc", 0x18000, download_area},
    {"zorvan50c_pal", {"-mzorvan50c", "-c1"}, "zorvan50c(PAL) board initialize\n", "zorvan50c-pal", 0x18000, download_area},
    {"zorvan50c_ntsc", {"-m", "zorvan50c", "-o", "NTSC", "-t", "1", "-c", "y"}, "zorvan50c(NTSC) board initialize\n", "zorvan50c-ntsc", 0x18000, download_area},
    {"quilby90s_pal", {"-m", "quilby90s", "-c", "1"}, "quilby90s(PAL) board initialize\n", "quilby90s-pal", 0x18000, download_area},
    {"quilby90s_ntsc", {"-m", "quilby90s", "-o", "ntsc", "-c", "1"}, "quilby90s(NTSC) board initialize\n", "quilby90s-ntsc", 0x18000, download_area},
    {"pellox_s_pal", {"-m", "pellox-s", "-o", "secam", "-c", "1"}, "pellox-s(PAL) board initialize\n", "pellox-s-pal", 0x18000, download_area},
    {"pellox_s_ntsc", {"-m", "Pellox-S", "-o", "ntsc", "-c", "1"}, "pellox-s(NTSC) board initialize\n", "pellox-s-ntsc", 0x18000, download_area},
    {"pellox_c_pal", {"-m", "pellox-c", "-c", "1"}, "pellox-c(PAL) board initialize\n", "pellox-c-pal", 0x18000, download_area},
    {"pellox_c_ntsc", {"-m", "pellox-c", "-o", "ntsc", "-c", "1"}, "pellox-c(NTSC) board initialize\n", "pellox-c-ntsc", 0x18000, download_area},
    // The long image ends at the top of the flash instead of running past it.
    {"pellox_max", {"-m", "pellox-max", "-c", "1"}, "pellox-max board initialize\n", "pellox-max-pal", 0x20000, 0xFFFC0000},
};

std::string image_path(const std::string& stem)
{
    return std::string(VEXLOAD_IMAGE_DIR) + "/" + stem + ".bin";
}

class FullRun : public testing::TestWithParam<model_case> {};

TEST_P(FullRun, ProgramsAndChecksTheImage)
{
    const model_case& c = GetParam();
    const std::string flash = scratch_path("flash");
    std::vector<std::string> args{"--flash", flash, "--"};
    args.insert(args.end(), c.args.begin(), c.args.end());

    const program_result run = run_program(VEXLOAD_SIM_PATH, args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected::full_run(c.board_message, "MX IC MX29LV640MT", c.words, true));
    EXPECT_NE(run.err.find("image in flash: yes\n"), std::string::npos) << run.err;

    const std::vector<uint16_t> image = read_words(image_path(c.image_file));
    ASSERT_EQ(image.size(), static_cast<size_t>(c.words));
    EXPECT_EQ(first_difference(read_words(flash), image, c.address), -1);
    std::remove(flash.c_str());
}

INSTANTIATE_TEST_SUITE_P(EveryModel, FullRun, testing::ValuesIn(models),
    [](const testing::TestParamInfo<model_case>& info) { return std::string(info.param.name); });

struct chip_case {
    const char* chip;
    const char* flash_info;
};

void PrintTo(const chip_case& c, std::ostream* out)
{
    *out << c.chip;
}

class EveryChip : public testing::TestWithParam<chip_case> {};

TEST_P(EveryChip, ProgramsAndChecksTheImage)
{
    const chip_case& c = GetParam();
    const std::string flash = scratch_path("flash");
    const program_result run = run_program(VEXLOAD_SIM_PATH, {"--chip", c.chip, "--flash", flash, "-m", "zorvan50s", "-c", "1"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected::full_run("zorvan50s(PAL) board initialize\n", c.flash_info, 0x18000, true));
    EXPECT_EQ(first_difference(read_words(flash), read_words(image_path("zorvan50s-pal")), download_area), -1);
    std::remove(flash.c_str());
}

const chip_case chips[] = {
    {"S29GL064M", "SPANSION S29GL064M R4"},
    {"M29W640DT", "STMicroelectronics M29W640DT"},
    {"EN29LV640B", "EON EN29LV640B"},
    {"MX29LV640MT", "MX IC MX29LV640MT"},
    {"MX29LV640BT", "MX IC MX29LV640BT/DT"},
};

INSTANTIATE_TEST_SUITE_P(FiveChips, EveryChip, testing::ValuesIn(chips),
    [](const testing::TestParamInfo<chip_case>& info) { return std::string(info.param.chip); });

} // namespace
