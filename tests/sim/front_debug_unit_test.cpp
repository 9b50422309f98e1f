// SPDX-License-Identifier: MIT
// The debug unit through the cable: halting the core, executing words, and
// when the status bit reports an operation that could not be carried out.
#include <gtest/gtest.h>

#include "sim/box.h"
#include "sim/core.h"
#include "sim/debug_unit.h"
#include "sim/faults.h"
#include "tests/sim/front_bitbang.h"

namespace {

using front_test::bitbang;

class FrontDebugUnit : public testing::Test {
protected:
    void SetUp() override
    {
        sim::faults = sim::fault_set{};
        sim::box_power_on();
    }
    void power_on_with(bool sim::fault_set::*fault)
    {
        sim::faults.*fault = true;
        sim::box_power_on();
    }
    // r3 round trip: load the data register, move it to r3, overwrite the
    // register, move r3 back, read it.
    uint32_t through_r3(uint32_t word)
    {
        jtag.exchange(bitbang::data, word, true);
        jtag.exchange(bitbang::execute, bitbang::mfspr_r3_ddr, true);
        jtag.exchange(bitbang::data, 0, true);
        jtag.exchange(bitbang::execute, bitbang::mtspr_ddr_r3, true);
        return jtag.exchange(bitbang::data, 0, false).result;
    }
    bitbang jtag;
};

TEST_F(FrontDebugUnit, HaltOnResetThenStopKeepsTheCoreStopped)
{
    jtag.halt_core();
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::stopped);
    EXPECT_EQ(through_r3(0x77887788), 0x77887788u);
    EXPECT_EQ(sim::core_gpr(3), 0x77887788u);
    EXPECT_FALSE(jtag.exchange(bitbang::data, 0, false).status);
}

TEST_F(FrontDebugUnit, WithoutAControlWordTheCoreRunsAndCannotExecute)
{
    jtag.reset_to_idle();
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::running);
    jtag.exchange(bitbang::execute, bitbang::mfspr_r3_ddr, true);
    // Seen at the next capture, then cleared.
    EXPECT_TRUE(jtag.exchange(bitbang::data, 0, false).status);
    EXPECT_FALSE(jtag.exchange(bitbang::data, 0, false).status);
}

TEST_F(FrontDebugUnit, ReleasingResetWithoutHaltLetsTheCoreRun)
{
    jtag.set_reset(true);
    jtag.reset_to_idle();
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::held_in_reset);
    jtag.set_reset(false);
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::running);
}

TEST_F(FrontDebugUnit, StopBitAloneStopsARunningCoreAndClearingItResumes)
{
    jtag.reset_to_idle();
    jtag.exchange(bitbang::control, 0x80000000, true);
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::stopped);
    jtag.exchange(bitbang::control, 0x00000000, true);
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::running);
}

TEST_F(FrontDebugUnit, ControlWordReadDoesNotWrite)
{
    jtag.reset_to_idle();
    jtag.exchange(bitbang::control, 0x80000000, false);
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::running);
}

TEST_F(FrontDebugUnit, ResetGroupHoldsTheCoreAndResetsIt)
{
    jtag.halt_core();
    through_r3(0x12345678);
    jtag.set_reset(true);
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::held_in_reset);
    EXPECT_EQ(sim::core_gpr(3), 0u);
    jtag.exchange(bitbang::execute, bitbang::mtspr_ddr_r3, true);
    EXPECT_TRUE(jtag.exchange(bitbang::data, 0, false).status);
    // The TAP is not reset by the reset group.
    jtag.instruction(0x5C);
    jtag.set_reset(false);
    EXPECT_EQ(sim::tap.ir, 0x5C);
}

TEST_F(FrontDebugUnit, PartOfTheResetGroupLowIsNoReset)
{
    jtag.halt_core();
    for (uint8_t group : {0x01, 0x20, 0x40, 0x80, 0xE0}) {
        jtag.resets = group;
        jtag.clock(false, false);
        EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::stopped) << int(group);
    }
}

TEST_F(FrontDebugUnit, FailedOperationsSetTheStatusOfTheNextExchange)
{
    jtag.halt_core();
    const uint32_t unknown_word = 0x00000000;
    jtag.exchange(bitbang::execute, unknown_word, true);
    const front_test::scan_result next = jtag.exchange(bitbang::execute, bitbang::mfspr_r3_ddr, true);
    EXPECT_TRUE(next.status);
    EXPECT_FALSE(jtag.exchange(bitbang::data, 0, false).status);
    // A word with final bit 0 is not executed and cannot fail.
    jtag.exchange(bitbang::execute, unknown_word, false);
    EXPECT_FALSE(jtag.exchange(bitbang::data, 0, false).status);
}

TEST_F(FrontDebugUnit, TestLogicResetClearsAPendingStatus)
{
    jtag.halt_core();
    jtag.exchange(bitbang::execute, 0, true);
    jtag.reset_to_idle();
    EXPECT_FALSE(jtag.exchange(bitbang::data, 0, false).status);
}

// Test-Logic-Reset after the halt, then a control word with STOP: the box
// built with tap_reset_releases_stop lets the core run in between (its word
// fails, its code overwrites every general register) and stops it again with
// the registers as the code left them; the box without it stays stopped.
TEST_F(FrontDebugUnit, TestLogicResetReleasesTheStopOnlyWhereTheBoxIsBuiltSo)
{
    for (const bool releases : {false, true}) {
        SCOPED_TRACE(releases);
        sim::faults.tap_reset_releases_stop = releases;
        sim::box_power_on();
        jtag.halt_core();
        through_r3(0x77887788);
        jtag.reset_to_idle();
        EXPECT_EQ(sim::debug_unit.mode, releases ? sim::core_mode::running : sim::core_mode::stopped);
        jtag.exchange(bitbang::execute, bitbang::mtspr_ddr_r3, true);
        EXPECT_EQ(jtag.exchange(bitbang::data, 0, false).status, releases) << "the word after the reset";

        jtag.exchange(bitbang::control, 0x80000000, true);
        EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::stopped);
        const uint32_t left = sim::core_gpr(3);
        EXPECT_EQ(left == 0x77887788, !releases) << std::hex << left;
        for (unsigned n = 0; n < 32; ++n)
            EXPECT_EQ(sim::core_gpr(n) != (n == 3 ? 0x77887788 : 0), releases) << "r" << n;
        jtag.exchange(bitbang::execute, bitbang::mtspr_ddr_r3, true);
        const front_test::scan_result read = jtag.exchange(bitbang::data, 0, false);
        EXPECT_EQ(read.result, left) << "r3 read through the port once stopped again";
        EXPECT_FALSE(read.status);
    }
}

TEST_F(FrontDebugUnit, NeverHaltedCoreRefusesEveryWord)
{
    power_on_with(&sim::fault_set::never_halted);
    jtag.halt_core();
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::running);
    // The data register works, the first execution fails.
    jtag.exchange(bitbang::data, 0xAA55AA55, true);
    EXPECT_EQ(jtag.exchange(bitbang::data, 0, false).result, 0xAA55AA55u);
    jtag.exchange(bitbang::execute, bitbang::mfspr_r3_ddr, true);
    EXPECT_TRUE(jtag.exchange(bitbang::data, 0, false).status);
}

TEST_F(FrontDebugUnit, NoExecuteLeavesRegistersUntouchedWithoutStatus)
{
    power_on_with(&sim::fault_set::no_execute);
    jtag.halt_core();
    jtag.exchange(bitbang::data, 0x77887788, true);
    jtag.exchange(bitbang::execute, bitbang::mfspr_r3_ddr, true);
    jtag.exchange(bitbang::data, 0x55667788, true);
    jtag.exchange(bitbang::execute, bitbang::mtspr_ddr_r3, true);
    const front_test::scan_result r = jtag.exchange(bitbang::data, 0, false);
    EXPECT_EQ(r.result, 0x55667788u);
    EXPECT_FALSE(r.status);
    EXPECT_EQ(sim::core_gpr(3), 0u);
}

TEST_F(FrontDebugUnit, ExchangesAreCountedAtUpdate)
{
    jtag.halt_core();
    const uint64_t before = sim::box_statistics().exchanges;
    jtag.exchange(bitbang::data, 1, true);
    jtag.exchange(bitbang::data, 0, false);
    jtag.instruction(0x7F);
    jtag.scan(false, 0, 1); // bypass: no exchange
    EXPECT_EQ(sim::box_statistics().exchanges, before + 2);
}

} // namespace
