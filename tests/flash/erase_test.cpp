// SPDX-License-Identifier: MIT
// Sector erase against the exchange recorder.
#include <string>
#include <vector>

#include "flash/erase.h"
#include "tests/flash/bus_cycles.h"
#include "tests/flash/capture_stdout.h"
#include "tests/flash/flash_fixture.h"

namespace {

using cycles = std::vector<seen_cycle>;

cycles erase_command(uint32_t sector)
{
    const uint32_t b = board_flash_base;
    return {write16(b + 0xAAAA, 0xAA), write16(b + 0x5554, 0x55), write16(b + 0xAAAA, 0x80),
            write16(b + 0xAAAA, 0xAA), write16(b + 0x5554, 0x55), write16(sector, 0x30)};
}

// Exchanges recorded before each pause.
std::vector<size_t> exchanges_before_sleeps()
{
    std::vector<size_t> marks;
    size_t exchanges = 0;
    for (const recorded_event& e : recorded_events) {
        if (e.kind == recorded_kind::exchange)
            ++exchanges;
        if (e.kind == recorded_kind::sleep) {
            EXPECT_EQ(e.b, 1000u);
            marks.push_back(exchanges);
        }
    }
    return marks;
}

class Erase : public FlashSteps {
protected:
    // As identify leaves them for a chip of three sectors and a 5 s erase bound.
    void three_sectors()
    {
        sector_count = 3;
        erase_wait_limit_s = 5;
        sector_table[0] = 0xFF800000;
        sector_table[1] = 0xFF810000;
        sector_table[2] = 0xFF820000;
    }
};

TEST_F(Erase, EachSectorIsCommandedAndPolledUntilItReadsErased)
{
    three_sectors();
    // Sector 0 is done at once, sector 1 after two pauses, sector 2 at once.
    recorder_read_replies = {0xFFFF, 0x0080, 0x00C8, 0xFFFF, 0xFFFF};
    EXPECT_EQ(capture_stdout(flash_erase), "Erase flash(all)... done\n");

    cycles expected = {write16(board_flash_base, 0xF0)};
    for (int k = 0; k < 3; ++k) {
        const cycles command = erase_command(sector_table[k]);
        expected.insert(expected.end(), command.begin(), command.end());
        const int reads = k == 1 ? 3 : 1;
        for (int r = 0; r < reads; ++r)
            expected.push_back(read16(sector_table[k], 0));
    }
    EXPECT_EQ(recorded_cycles(), expected);
    // reset 5, sector 0 35, sector 1 command and first read 35; then one read per pause.
    EXPECT_EQ(exchanges_before_sleeps(), (std::vector<size_t>{75, 80}));
}

TEST_F(Erase, NoSectorsStillResetsTheChip)
{
    for (const int32_t count : {0, -1}) {
        SCOPED_TRACE(count);
        SetUp();
        sector_count = count;
        EXPECT_EQ(capture_stdout(flash_erase), "Erase flash(all) done\n");
        EXPECT_EQ(recorded_cycles(), (cycles{write16(board_flash_base, 0xF0)}));
    }
}

// One pause a second of the chip's bound after the first read: the last read
// allowed may still find it erased.
TEST_F(Erase, ASectorFinishingOnTheLastAllowedReadIsAccepted)
{
    three_sectors();
    recorder_read_replies.push_back(0xFFFF);
    for (int r = 0; r < 5; ++r)
        recorder_read_replies.push_back(0x0008);
    recorder_default_reply = 0xFFFF;
    EXPECT_EQ(capture_stdout(flash_erase), "Erase flash(all)... done\n");
    EXPECT_EQ(exchanges_before_sleeps().size(), 5u);
}

TEST_F(Erase, ASectorThatNeverFinishesEndsTheRunBeforeTheNext)
{
    three_sectors();
    recorder_read_replies = {0xFFFF};
    recorder_default_reply = 0x0008; // still busy
    std::string printed;
    try {
        capture_stdout(flash_erase, printed);
        FAIL() << "the erase returned";
    } catch (const recorder_exit& exit) {
        EXPECT_EQ(exit.status, -1);
    }
    EXPECT_EQ(printed, "Erase flash(all).. failed.\nSector 1 at 0xFF810000 is not erased after 5 seconds.\n");
    EXPECT_EQ(exchanges_before_sleeps().size(), 5u);
    const cycles done = recorded_cycles();
    // No command for sector 2: the run ends polling sector 1 (6 reads).
    EXPECT_EQ(done.back(), read16(0xFF810000, 0));
    EXPECT_EQ(done.size(), 1u + 7u + 6u + 6u);
}

} // namespace
