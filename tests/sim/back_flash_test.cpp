// SPDX-License-Identifier: MIT
// The flash chip's command state machine, its codes, layouts and timing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/clock.h"
#include "sim/flash.h"
#include "sim/flash_chips.h"
#include "tests/sim/back_support.h"

namespace {

using namespace back;

class BackFlash : public testing::Test {
protected:
    void SetUp() override { power_on(); }
};

struct chip_case {
    const char* name;
    uint16_t manufacturer, device, word_0e, word_0f;
    bool top_boot;
};

const chip_case chips[] = {
    {"S29GL064M", 0x0001, 0x227E, 0x2210, 0x2200, false},
    {"M29W640DT", 0x0020, 0x22DE, 0x0000, 0x0000, true},
    {"EN29LV640B", 0x007F, 0x22CB, 0x0000, 0x0000, false},
    {"MX29LV640MT", 0x00C2, 0x227E, 0x2210, 0x2201, true},
    {"MX29LV640BT", 0x00C2, 0x22C9, 0x0000, 0x0000, true},
};

class BackFlashChip : public testing::TestWithParam<chip_case> {
protected:
    void SetUp() override
    {
        power_on();
        ASSERT_TRUE(sim::flash_select_chip(GetParam().name));
        std::fill_n(sim::flash_array(), sim::flash_chip_words, uint16_t{0x0000});
    }
};

TEST_P(BackFlashChip, AutoselectGivesTheChipsCodes)
{
    const chip_case& c = GetParam();
    // The tool's addresses 0x5555/0x2AAA decode as 0x555/0x2AA.
    fw(0, 0xF0);
    fw(0x5555, 0xAA);
    fw(0x2AAA, 0x55);
    fw(0x5555, 0x90);
    EXPECT_EQ(fr(0x00), c.manufacturer);
    EXPECT_EQ(fr(0x01), c.device);
    EXPECT_EQ(fr(0x0E), c.word_0e);
    EXPECT_EQ(fr(0x0F), c.word_0f);
    EXPECT_EQ(fr(0x02), 0);           // sector not protected
    EXPECT_EQ(fr(0x3F8000 + 1), c.device); // any sector answers
    fw(0, 0xF0);
    EXPECT_EQ(fr(0x00), 0x0000);      // array again
}

TEST_P(BackFlashChip, SectorEraseClearsItsSectorOnly)
{
    const chip_case& c = GetParam();
    struct sector {
        unsigned index;
        uint32_t start, words;
    };
    // Layout: 127 x 64 KB then 8 x 8 KB at the top, or 8 x 8 KB then 127 x 64 KB.
    const sector top[] = {{0, 0, 0x8000}, {126, 0x3F0000, 0x8000}, {127, 0x3F8000, 0x1000}, {134, 0x3FF000, 0x1000}};
    const sector bottom[] = {{0, 0, 0x1000}, {7, 0x7000, 0x1000}, {8, 0x8000, 0x8000}, {134, 0x3F8000, 0x8000}};
    for (const sector& s : c.top_boot ? top : bottom) {
        std::fill_n(sim::flash_array(), sim::flash_chip_words, uint16_t{0x0000});
        sector_erase(s.start + s.words / 2); // any address inside the sector
        sim::advance_ns(sim::flash_erase_window_ns + sim::flash_sector_erase_ns);
        ASSERT_EQ(fr(s.start), 0xFFFF) << "sector " << s.index;
        const uint16_t* a = sim::flash_array();
        for (uint32_t w = 0; w < s.words; ++w)
            ASSERT_EQ(a[s.start + w], 0xFFFF) << "sector " << s.index << " word " << w;
        if (s.start > 0) {
            EXPECT_EQ(a[s.start - 1], 0x0000) << "below sector " << s.index;
        }
        if (s.start + s.words < sim::flash_chip_words) {
            EXPECT_EQ(a[s.start + s.words], 0x0000) << "above sector " << s.index;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(FiveChips, BackFlashChip, testing::ValuesIn(chips),
    [](const testing::TestParamInfo<chip_case>& info) { return std::string(info.param.name); });

TEST_F(BackFlash, UnknownNameKeepsTheChip)
{
    EXPECT_FALSE(sim::flash_select_chip("MX29LV640"));
    EXPECT_STREQ(sim::flash_chip_name(), "MX29LV640MT");
}

TEST_F(BackFlash, AnyCodesOnATopBootChip)
{
    sim::flash_set_chip_id(0x0001, 0x227E, 0x2210, 0x2201);
    command(0x90);
    EXPECT_EQ(fr(0), 0x0001);
    EXPECT_EQ(fr(1), 0x227E);
    EXPECT_EQ(fr(0x0E), 0x2210);
    EXPECT_EQ(fr(0x0F), 0x2201);
    fw(0, 0xF0);
    std::fill_n(sim::flash_array(), sim::flash_chip_words, uint16_t{0});
    sector_erase(0x3FF000);
    sim::advance_ns(sim::flash_erase_window_ns + sim::flash_sector_erase_ns);
    EXPECT_EQ(sim::flash_array()[0x3FF000], 0xFFFF);
    EXPECT_EQ(sim::flash_array()[0x3FEFFF], 0x0000);
}

TEST_F(BackFlash, CommandCyclesDecodeOnlyA10ToA0)
{
    // 0x1555 and 0x0AAA carry the same low bits; 0x554 does not.
    fw(0x1555, 0xAA);
    fw(0x0AAA, 0x55);
    fw(0x7D555, 0x90);
    EXPECT_EQ(fr(1), 0x227E);
    fw(0, 0xF0);
    fw(0x554, 0xAA);
    fw(0x2AA, 0x55);
    fw(0x555, 0x90);
    EXPECT_EQ(fr(1), 0xFFFF);
}

TEST_F(BackFlash, CommandUsesTheLowDataByte)
{
    fw(0x555, 0xAA);
    fw(0x2AA, 0x55);
    fw(0x555, 0xA000); // low byte 0: no command
    fw(0x100, 0x0000);
    EXPECT_EQ(sim::flash_array()[0x100], 0xFFFF);
    fw(0x555, 0x12AA);
    fw(0x2AA, 0x3455);
    fw(0x555, 0x56A0);
    fw(0x100, 0x0000);
    sim::advance_ns(sim::flash_program_ns);
    EXPECT_EQ(sim::flash_array()[0x100], 0x0000);
}

TEST_F(BackFlash, BrokenSequencesReturnToReadMode)
{
    struct broken {
        const char* what;
        uint16_t third;
        uint32_t second_address;
    } cases[] = {
        {"second cycle at the wrong address", 0xA0, 0x2AB},
        {"unknown command", 0x77, 0x2AA},
    };
    for (const broken& c : cases) {
        power_on();
        fw(0x555, 0xAA);
        fw(c.second_address, 0x55);
        fw(0x555, c.third);
        fw(0x200, 0x0000); // would be program data after a good A0
        sim::advance_ns(sim::flash_program_ns);
        EXPECT_EQ(fr(0x200), 0xFFFF) << c.what;
        program(0x200, 0x1234); // the chip still takes a whole command
        sim::advance_ns(sim::flash_program_ns);
        EXPECT_EQ(fr(0x200), 0x1234) << c.what;
    }
    // An aborted erase sequence (0x80, then a read-mode write).
    command(0x80);
    fw(0x555, 0x30);
    fw(0x300, 0x30);
    EXPECT_EQ(fr(0x200), 0x1234);
}

TEST_F(BackFlash, ProgramShowsDataPollingThenTheData)
{
    program(0x40, 0x1234); // bit 7 of the data is 0
    const uint16_t s1 = fr(0x40);
    const uint16_t s2 = fr(0x40);
    EXPECT_EQ(s1 & dq7, dq7);
    EXPECT_EQ(s2 & dq7, dq7);
    EXPECT_NE(s1 & dq6, s2 & dq6);
    EXPECT_EQ((s1 | s2) & dq5, 0);
    sim::advance_ns(sim::flash_program_ns);
    EXPECT_EQ(fr(0x40), 0x1234);
    EXPECT_EQ(fr(0x40), 0x1234);

    program(0x41, 0x00F0); // bit 7 is 1: polling reads it as 0
    EXPECT_EQ(fr(0x41) & dq7, 0);
    sim::advance_ns(sim::flash_program_ns);
    EXPECT_EQ(fr(0x41), 0x00F0);
}

TEST_F(BackFlash, WritesDuringAProgramAreIgnored)
{
    program(0x40, 0x1234);
    fw(0x41, 0xF0);
    program(0x42, 0x0000);
    sim::advance_ns(sim::flash_program_ns);
    EXPECT_EQ(fr(0x40), 0x1234);
    EXPECT_EQ(fr(0x42), 0xFFFF);
}

TEST_F(BackFlash, ProgrammingOnlyClearsBits)
{
    program(0x10, 0x0FF0);
    sim::advance_ns(sim::flash_program_ns);
    program(0x10, 0x0330); // a subset of the ones: fine
    sim::advance_ns(sim::flash_program_ns);
    EXPECT_EQ(fr(0x10), 0x0330);

    // Asking for a 0 to become 1 never verifies: DQ5 after the limit, status until reset.
    program(0x10, 0x0FFF);
    sim::advance_ns(sim::flash_program_ns);
    EXPECT_EQ(fr(0x10) & dq5, 0);
    sim::advance_ns(sim::flash_program_limit_ns);
    const uint16_t s = fr(0x10);
    EXPECT_EQ(s & dq5, dq5);
    EXPECT_EQ(s & dq7, 0); // data bit 7 is 1
    EXPECT_NE(fr(0x10) & dq6, s & dq6);
    sim::advance_ns(1'000'000'000);
    EXPECT_EQ(fr(0x10) & dq5, dq5);
    fw(0, 0xF0);
    EXPECT_EQ(fr(0x10), 0x0330);
}

TEST_F(BackFlash, SectorEraseStatusAndTiming)
{
    std::fill_n(sim::flash_array(), 0x10000, uint16_t{0x1111});
    sector_erase(0x8000); // second 64 KB sector of the top-boot chip
    // In the window for more sectors: DQ7 0, DQ6 toggling, DQ3 0.
    uint16_t s = fr(0x8000);
    EXPECT_EQ(s & (dq7 | dq3), 0);
    EXPECT_NE(fr(0x8000) & dq6, s & dq6);
    sim::advance_ns(sim::flash_erase_window_ns);
    s = fr(0x8000);
    EXPECT_EQ(s & (dq7 | dq3), dq3);
    EXPECT_NE(fr(0x8000) & dq2, s & dq2); // DQ2 toggles inside the erasing sector
    EXPECT_EQ(fr(0x0) & dq2, 0); // but not outside it
    EXPECT_EQ(fr(0x0) & dq2, 0);
    // Reset is ignored while the erase runs.
    fw(0, 0xF0);
    sim::advance_ns(sim::flash_sector_erase_ns - 1);
    EXPECT_NE(fr(0x8000), 0xFFFF);
    EXPECT_EQ(fr(0x8000) & dq5, 0);
    sim::advance_ns(1);
    EXPECT_EQ(fr(0x8000), 0xFFFF);
    EXPECT_EQ(fr(0xFFFF), 0xFFFF);
    EXPECT_EQ(fr(0x7FFF), 0x1111);
}

TEST_F(BackFlash, MoreSectorsWithinTheWindowAndCancelByOtherWrites)
{
    std::fill_n(sim::flash_array(), 0x20000, uint16_t{0});
    sector_erase(0x0);
    fw(0x10000, 0x30); // joins within the window
    sim::advance_ns(sim::flash_erase_window_ns + sim::flash_sector_erase_ns);
    EXPECT_NE(fr(0), 0xFFFF); // two sectors take twice as long
    sim::advance_ns(sim::flash_sector_erase_ns);
    EXPECT_EQ(fr(0), 0xFFFF);
    EXPECT_EQ(fr(0x10000), 0xFFFF);
    EXPECT_EQ(fr(0x8000), 0x0000);

    sector_erase(0x8000);
    fw(0x555, 0xAA); // anything but 30 in the window cancels the erase
    sim::advance_ns(sim::flash_erase_window_ns + sim::flash_sector_erase_ns);
    EXPECT_EQ(fr(0x8000), 0x0000);
}

TEST_F(BackFlash, ChipErase)
{
    std::fill_n(sim::flash_array(), sim::flash_chip_words, uint16_t{0});
    command(0x80);
    command(0x10);
    EXPECT_EQ(fr(0x123456) & dq7, 0);
    sim::advance_ns(134 * sim::flash_sector_erase_ns);
    EXPECT_NE(fr(0), 0xFFFF);
    sim::advance_ns(sim::flash_sector_erase_ns);
    for (uint32_t w = 0; w < sim::flash_chip_words; w += 0x777)
        ASSERT_EQ(fr(w), 0xFFFF) << w;
    EXPECT_EQ(fr(sim::flash_chip_words - 1), 0xFFFF);
}

TEST_F(BackFlash, EraseCommandsCycleByCycle)
{
    struct cycle {
        uint32_t word;
        uint16_t data;
    };
    struct erase_case {
        const char* what;
        std::vector<cycle> cycles;
        bool sector_1_erased, last_sector_erased;
    } cases[] = {
        {"chip erase",
         {{0x555, 0xAA}, {0x2AA, 0x55}, {0x555, 0x80}, {0x555, 0xAA}, {0x2AA, 0x55}, {0x555, 0x10}}, true, true},
        {"chip erase cycle away from 555",
         {{0x555, 0xAA}, {0x2AA, 0x55}, {0x555, 0x80}, {0x555, 0xAA}, {0x2AA, 0x55}, {0x554, 0x10}}, false, false},
        {"second unlock broken",
         {{0x555, 0xAA}, {0x2AA, 0x55}, {0x555, 0x80}, {0x555, 0xAA}, {0x2AB, 0x55}, {0x8000, 0x30}}, false, false},
        {"bypass chip erase at any address",
         {{0x555, 0xAA}, {0x2AA, 0x55}, {0x555, 0x20}, {0x3FF000, 0x80}, {0x8000, 0x10}}, true, true},
        {"bypass sector erase",
         {{0x555, 0xAA}, {0x2AA, 0x55}, {0x555, 0x20}, {0x0, 0x80}, {0x8000, 0x30}}, true, false},
    };
    for (const erase_case& c : cases) {
        power_on();
        std::fill_n(sim::flash_array(), sim::flash_chip_words, uint16_t{0});
        for (const cycle& y : c.cycles)
            fw(y.word, y.data);
        sim::advance_ns(sim::flash_erase_window_ns + sim::flash_sector_count * sim::flash_sector_erase_ns);
        EXPECT_EQ(fr(0x8000) == 0xFFFF, c.sector_1_erased) << c.what;
        EXPECT_EQ(fr(0x3FF000) == 0xFFFF, c.last_sector_erased) << c.what;
    }
}

TEST_F(BackFlash, UnlockBypassProgramsWithTwoCycles)
{
    fw(0, 0xF0);
    command(0x20);
    const uint32_t words[] = {0x3E8000, 0x3E8001, 0x3FFFFF};
    for (uint32_t w : words) // the command cycle goes to any address
        EXPECT_EQ(bypass_program(w, static_cast<uint16_t>(w), w ^ 0x1234), static_cast<uint16_t>(w));
    // Writes outside the bypass commands leave the chip in bypass.
    fw(0x555, 0xAA);
    fw(0x2AA, 0x55);
    EXPECT_EQ(bypass_program(0x10, 0x5A5A, 0x10), 0x5A5A);
    // 90 is not autoselect here; 90 then 00 leaves bypass.
    fw(0, 0x90);
    EXPECT_EQ(fr(1), 0xFFFF);
    fw(0, 0x00);
    EXPECT_EQ(bypass_program(0x11, 0x0000, 0x11), 0xFFFF);
}

TEST_F(BackFlash, BypassReturnsAfterEachProgramAndEraseAndLeavesOnReset)
{
    command(0x20);
    fw(0, 0xA0);
    fw(0x20, 0x0000);
    const uint16_t s = fr(0x20);
    EXPECT_EQ(s & dq7, dq7);
    sim::advance_ns(sim::flash_program_ns);
    EXPECT_EQ(fr(0x20), 0x0000);
    fw(0, 0x80); // bypass sector erase
    fw(0x20, 0x30);
    sim::advance_ns(sim::flash_erase_window_ns + sim::flash_sector_erase_ns);
    EXPECT_EQ(fr(0x20), 0xFFFF);
    EXPECT_EQ(bypass_program(0x21, 0x0000), 0x0000); // still in bypass
    fw(0, 0xF0);
    EXPECT_EQ(bypass_program(0x22, 0x0000), 0xFFFF);
}

TEST_F(BackFlash, ProgramsAreCountedInOrder)
{
    program(1, 0);
    sim::advance_ns(sim::flash_program_ns);
    command(0x20);
    fw(0, 0xA0);
    fw(2, 0);
    sim::advance_ns(sim::flash_program_ns);
    EXPECT_EQ(sim::flash_programs_started(), 2u);
    sim::flash_power_on();
    EXPECT_EQ(sim::flash_programs_started(), 0u);
}

} // namespace
