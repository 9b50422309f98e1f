// SPDX-License-Identifier: MIT
// The flash faults: what the chip shows the tool when each one is set.
#include <gtest/gtest.h>

#include "sim/bus.h"
#include "sim/clock.h"
#include "sim/core.h"
#include "sim/faults.h"
#include "sim/flash.h"
#include "tests/sim/back_support.h"

namespace {

using namespace back;

class BackFlashFault : public testing::Test {
protected:
    void SetUp() override { power_on(); }

    // Programs words first..first+n-1 in bypass with data(i), each to completion.
    static void bypass_program(uint32_t first, unsigned n, uint16_t (*data)(unsigned))
    {
        command(0x20);
        for (unsigned i = 0; i < n; ++i) {
            fw(0, 0xA0);
            fw(first + i, data(i));
            sim::advance_ns(sim::flash_program_ns);
            while ((fr(first + i) ^ data(i)) & dq7) {
            }
        }
    }
};

uint16_t pattern(unsigned i)
{
    return static_cast<uint16_t>(0x1200 + i);
}

TEST_F(BackFlashFault, NoChipReadsAllOnesAndLosesWrites)
{
    sim::flash_array()[0x10] = 0x1234;
    sim::faults.no_chip = true;
    command(0x90);
    EXPECT_EQ(fr(0), 0xFFFF);
    EXPECT_EQ(fr(1), 0xFFFF);
    EXPECT_EQ(fr(0x10), 0xFFFF);
    program(0x11, 0x0000);
    sim::core_set_gpr(1, sim::flash_window_base + 0x20);
    ASSERT_TRUE(sim::core_execute(lhz(1, 0, 1)));
    EXPECT_EQ(sim::core_gpr(1), 0xFFFFu);
    sim::faults.no_chip = false;
    EXPECT_EQ(fr(0x10), 0x1234); // the chip never saw the autoselect command
    EXPECT_EQ(fr(0x11), 0xFFFF);
}

TEST_F(BackFlashFault, EraseStuckSectorNeverReadsErased)
{
    sim::faults.erase_stuck = 3;
    sector_erase(2 * 0x8000); // sector 2 is fine
    sim::advance_ns(sim::flash_erase_window_ns + sim::flash_sector_erase_ns);
    EXPECT_EQ(fr(2 * 0x8000), 0xFFFF);

    sector_erase(3 * 0x8000);
    sim::advance_ns(sim::flash_erase_window_ns);
    uint16_t s = 0;
    for (int second = 0; second < 14; ++second) {
        s = fr(3 * 0x8000);
        ASSERT_NE(s, 0xFFFF);
        ASSERT_EQ(s & (dq7 | dq5), 0) << second;
        sim::advance_ns(1'000'000'000);
    }
    sim::advance_ns(sim::flash_sector_erase_limit_ns);
    s = fr(3 * 0x8000);
    EXPECT_EQ(s & (dq7 | dq5), dq5);
    EXPECT_EQ(fr(3 * 0x8000) & dq5, dq5); // stays until reset
    fw(0, 0xF0);
    EXPECT_EQ(fr(3 * 0x8000), 0x0000);
    EXPECT_EQ(fr(4 * 0x8000 - 1), 0x0000);
    EXPECT_EQ(fr(4 * 0x8000), 0xFFFF);
}

TEST_F(BackFlashFault, EraseStuckHoldsAChipEraseToo)
{
    sim::faults.erase_stuck = 134;
    command(0x80);
    command(0x10);
    sim::advance_ns(200 * sim::flash_sector_erase_ns);
    EXPECT_NE(fr(0), 0xFFFF);
}

struct fail_case {
    uint16_t data;
    const char* what;
};

class BackProgramFail : public testing::TestWithParam<fail_case> {};

TEST_P(BackProgramFail, WordNeverVerifiesAndRaisesDq5)
{
    power_on();
    const uint16_t data = GetParam().data;
    sim::faults.program_fail = 2;
    command(0x20);
    for (uint32_t w = 0; w < 2; ++w) {
        fw(0, 0xA0);
        fw(w, data);
        sim::advance_ns(sim::flash_program_ns);
        ASSERT_EQ(fr(w), data);
    }
    fw(0, 0xA0);
    fw(2, data);
    bool dq5_seen = false;
    for (int poll = 0; poll < 50; ++poll) {
        const uint16_t s = fr(2);
        ASSERT_NE(s & dq7, data & dq7) << poll;
        dq5_seen = dq5_seen || (s & dq5);
        sim::advance_ns(sim::flash_program_ns);
    }
    EXPECT_TRUE(dq5_seen);
    fw(0, 0xF0);
    EXPECT_EQ(fr(2), data & ~0x0080); // bit 7 stuck at 0
    program(3, data);                 // the next word is fine
    sim::advance_ns(sim::flash_program_ns);
    EXPECT_EQ(fr(3), data);
}

INSTANTIATE_TEST_SUITE_P(Bit7, BackProgramFail, testing::Values(fail_case{0x1234, "bit 7 zero"}, fail_case{0xABCD, "bit 7 one"}),
    [](const testing::TestParamInfo<fail_case>& info) { return std::to_string(info.index); });

TEST_F(BackFlashFault, SlowProgramNeedsMoreThanAHundredPollsOfItsAddress)
{
    sim::faults.slow_program = 1;
    bypass_program(0x100, 1, pattern);
    fw(0, 0xA0);
    fw(0x101, 0x5678);
    // Reads elsewhere give status but are no polls of the word.
    for (int i = 0; i < 200; ++i)
        fr(0x100);
    int busy = 0;
    while ((fr(0x101) ^ 0x5678) & dq7) {
        ++busy;
        sim::advance_ns(sim::flash_program_limit_ns); // time alone does not finish it
        ASSERT_LT(busy, 1000);
    }
    EXPECT_EQ(busy, 101);
    EXPECT_EQ(fr(0x101), 0x5678);
    fw(0, 0xA0);
    fw(0x102, 0x0000);
    sim::advance_ns(sim::flash_program_ns);
    EXPECT_EQ(fr(0x102), 0x0000);
}

TEST_F(BackFlashFault, VerifyMismatchShowsOnceBypassIsLeft)
{
    sim::faults.verify_mismatch = 4;
    bypass_program(0x200, 8, pattern);
    for (unsigned i = 0; i < 8; ++i)
        EXPECT_EQ(fr(0x200 + i), pattern(i)) << i; // still in bypass: all good
    fw(0, 0xF0);
    for (unsigned i = 0; i < 8; ++i) {
        if (i == 4) {
            EXPECT_NE(fr(0x200 + i), pattern(i));
        } else {
            EXPECT_EQ(fr(0x200 + i), pattern(i)) << i;
        }
    }
    EXPECT_EQ(fr(0x204), fr(0x204)); // the same wrong value every time
    EXPECT_EQ(sim::flash_array()[0x204], fr(0x204));
}

TEST_F(BackFlashFault, VerifyMismatchAfterBypassResetCommand)
{
    sim::faults.verify_mismatch = 0;
    bypass_program(0x300, 1, pattern);
    EXPECT_EQ(fr(0x300), pattern(0));
    fw(0, 0x90);
    fw(0, 0x00);
    EXPECT_NE(fr(0x300), pattern(0));
}

} // namespace
