// SPDX-License-Identifier: MIT
// Bus cycles and chip identification against the exchange recorder.
#include <string>
#include <vector>

#include "flash/flash_bus.h"
#include "tests/flash/bus_cycles.h"
#include "tests/flash/capture_stdout.h"
#include "tests/flash/flash_fixture.h"

namespace {

using cycles = std::vector<seen_cycle>;

// The words executed are judged by the box's decoding (bus_cycles.cpp).
TEST_F(FlashSteps, Write16IsAddressIntoR1ValueIntoR2ThenHalfwordStore)
{
    flash_write16(0xFF80AAAA, 0x00AA);
    EXPECT_EQ(recorded_cycles(), (cycles{write16(0xFF80AAAA, 0x00AA)}));
}

TEST_F(FlashSteps, Read16LoadsIntoR1AndKeepsTheLowHalfOfTheDataRead)
{
    recorder_read_replies = {0xDEAD8001};
    EXPECT_EQ(flash_read16(0xFFFD0002), 0x8001);
    EXPECT_EQ(recorded_cycles(), (cycles{read16(0xFFFD0002, 0)}));
}

TEST_F(FlashSteps, IdentifyResetsAndAutoselectsTwiceAndReadsFourCodes)
{
    recorder_read_replies = {0x00C2, 0x22C9, 0, 0};
    capture_stdout([] { flash_identify(); });
    const uint32_t b = board_flash_base;
    const cycles autoselect = {write16(b, 0xF0), write16(b + 0xAAAA, 0xAA), write16(b + 0x5554, 0x55),
                               write16(b + 0xAAAA, 0x90)};
    cycles expected = autoselect;
    expected.push_back(read16(b, 0));
    expected.insert(expected.end(), autoselect.begin(), autoselect.end());
    expected.push_back(read16(b + 0x02, 0));
    expected.push_back(read16(b + 0x1C, 0));
    expected.push_back(read16(b + 0x1E, 0));
    EXPECT_EQ(recorded_cycles(), expected);
}

enum class layout { none, bottom, top };

struct chip_case {
    uint16_t manufacturer, device, word_0e, word_0f;
    const char* output;
    layout sectors;
};

const chip_case chip_cases[] = {
    {0x0001, 0x227E, 0x2210, 0x2200, "Flash info. : SPANSION S29GL064M R4\n", layout::bottom},
    {0x0020, 0x22DE, 0x0000, 0xFFFF, "Flash info. : STMicroelectronics M29W640DT\n", layout::top},
    {0x0020, 0x22DE, 0x2210, 0x2201, "Flash info. : STMicroelectronics M29W640DT\n", layout::top},
    {0x007F, 0x22CB, 0x1234, 0x5678, "Flash info. : EON EN29LV640B\n", layout::bottom},
    {0x00C2, 0x227E, 0x2210, 0x2201, "Flash info. : MX IC MX29LV640MT\n", layout::top},
    {0x00C2, 0x22C9, 0xFFFF, 0xFFFF, "Flash info. : MX IC MX29LV640BT/DT\n", layout::top},
    // 0x2201 is the top-boot word of the other maker.
    {0x0001, 0x227E, 0x2210, 0x2201,
     "Flash info. : SPANSION Unknown\nFlash recognize failed. Retry(0x1, 0x227e)\n", layout::none},
    {0x00C2, 0x227E, 0x2210, 0x2200,
     "Flash info. : MX IC Unknown\nFlash recognize failed. Retry(0xc2, 0x227e)\n", layout::none},
    {0x0020, 0x22DF, 0x2210, 0x2200,
     "Flash info. : STMicroelectronics Unknown\nFlash recognize failed. Retry(0x20, 0x22df)\n", layout::none},
    // The maker code only in the low byte of a wider value is no match.
    {0x0101, 0x227E, 0x2210, 0x2200,
     "Flash info. : Unknown Unknown\nFlash recognize failed. Retry(0x101, 0x227e)\n", layout::none},
    {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
     "Flash info. : Unknown Unknown\nFlash recognize failed. Retry(0xffff, 0xffff)\n", layout::none},
    {0x0000, 0x0000, 0x0000, 0x0000,
     "Flash info. : Unknown Unknown\nFlash recognize failed. Retry(0x0, 0x0)\n", layout::none},
};

TEST_F(FlashSteps, IdentifyNamesTheChipOrRefusesIt)
{
    for (const chip_case& c : chip_cases) {
        SCOPED_TRACE(c.output);
        SetUp();
        recorder_read_replies = {c.manufacturer, c.device, c.word_0e, c.word_0f};
        int result = 0;
        EXPECT_EQ(capture_stdout([&] { result = flash_identify(); }), c.output);
        if (c.sectors == layout::none) {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(sector_count, -1);
            EXPECT_EQ(download_address, 0u);
            continue;
        }
        EXPECT_EQ(result, 0);
        EXPECT_EQ(sector_count, 135);
        EXPECT_EQ(download_address, 0xFFFD0000u);
        if (c.sectors == layout::top) {
            EXPECT_EQ(sector_table[126], 0xFFFE0000u);
            EXPECT_EQ(sector_table[127], 0xFFFF0000u);
            EXPECT_EQ(sector_table[134], 0xFFFFE000u);
        } else {
            EXPECT_EQ(sector_table[7], 0xFF80E000u);
            EXPECT_EQ(sector_table[8], 0xFF810000u);
            EXPECT_EQ(sector_table[134], 0xFFFF0000u);
        }
    }
}

// Both layouts tile the whole 8 MB: eight 8 KB and 127 64 KB sectors, no gap.
TEST_F(FlashSteps, SectorTablesCoverTheFlashWithoutGaps)
{
    struct layout_case {
        uint16_t manufacturer, device;
        int first_small;
    };
    for (const layout_case& c : {layout_case{0x007F, 0x22CB, 0}, layout_case{0x0020, 0x22DE, 127}}) {
        SCOPED_TRACE(c.first_small);
        SetUp();
        recorder_read_replies = {c.manufacturer, c.device, 0, 0};
        capture_stdout([] { flash_identify(); });
        ASSERT_EQ(sector_count, 135);
        EXPECT_EQ(sector_table[0], board_flash_base);
        uint64_t next = board_flash_base;
        for (int k = 0; k < 135; ++k) {
            EXPECT_EQ(sector_table[k], next) << "sector " << k;
            const bool small = k >= c.first_small && k < c.first_small + 8;
            next = sector_table[k] + uint64_t{small ? 0x2000u : 0x10000u};
        }
        EXPECT_EQ(next, uint64_t{1} << 32);
    }
}

} // namespace
