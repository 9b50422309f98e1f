// SPDX-License-Identifier: MIT
// The target operations on the virtual box: what they leave in the core, the
// bus and the link statistics, and how the link tests meet the box's faults.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/box.h"
#include "sim/bus.h"
#include "sim/core.h"
#include "sim/debug_unit.h"
#include "sim/tap.h"
#include "target/link_test.h"
#include "target/memory.h"
#include "target/registers.h"
#include "target/reset_and_halt.h"
#include "tests/support/exit_status.h"
#include "tests/target/box_session.h"

namespace {

// A box as a previous run may leave it: reset group high, the core running
// its own code, the TAP in any state (Exit1-DR after a failed exchange).
// Reset and halt must take the core before it runs anything after the reset,
// through a TAP reset of 64 TMS-high clocks as the box counts them.
TEST(TargetOnBox, ResetAndHaltHaltsTheCoreAsItLeavesResetFromAnyTapState)
{
    for (int n = 0; n < sim::tap_state_count; ++n) {
        const auto state = static_cast<sim::tap_state>(n);
        SCOPED_TRACE(sim::tap_state_name(state));
        sim::faults = sim::fault_set{};
        power_on_box_and_link();
        sim::box_port_write(0xF5); // the last byte of a run: reset group and TCK high
        ASSERT_EQ(sim::debug_unit.mode, sim::core_mode::running);
        sim::tap.state = state;

        const sim::box_stats before = sim::box_statistics();
        ignore_link_status = 1;
        reset_and_halt();
        ignore_link_status = 0;

        EXPECT_FALSE(sim::debug_unit.ran_since_reset_line) << "the core ran its own code after the reset";
        EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::stopped);
        EXPECT_FALSE(sim::debug_unit.reset_asserted);
        EXPECT_GE(sim::tap.reset_run, 64u) << "TMS-high clocks before the TAP left Test-Logic-Reset";
        EXPECT_EQ(sim::box_statistics().sleeps - before.sleeps, 2u);
        EXPECT_EQ(sim::box_statistics().sleep_ms - before.sleep_ms, 200u);
        testing::internal::CaptureStdout();
        EXPECT_EQ(target_test(), 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    }
}

TEST(TargetOnBox, LinkTestsPassSilentlyOnASoundBox)
{
    start_box_session();
    testing::internal::CaptureStdout();
    EXPECT_EQ(target_test(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(sim::core_gpr(2), 0x13355779u) << "the sum the core made";
}

// A run's start as the run sequence makes it, in a process of its own so that
// the link's flags start from their initial values; exits 0 when the link
// tests pass.
[[noreturn]] void start_run_with(const char* fault)
{
    std::fflush(stdout);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    std::string error;
    if (!sim::fault_apply(fault, error))
        std::_Exit(4);
    sim::box_power_on();
    reset_and_halt();
    ignore_link_status = 0; // the run sequence, once the core is taken
    const int result = target_test();
    std::fflush(stdout);
    std::_Exit(result == 0 ? 0 : 3);
}

// The status bit is ignored while reset and halt takes the core and ends the
// run from the first link test on. status-error=N sets it in exchange N,
// counted from 0: reset and halt is exchanges 0 and 1.
TEST(TargetOnBoxDeathTest, LinkStatusBitIsIgnoredOnlyDuringResetAndHalt)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        const char* fault;
        bool fatal;
    } cases[] = {
        {"status-error=0", false},
        {"status-error=1", false},
        {"status-error=2", true},
        {"status-error=9", true},
        {"status-error=16", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        if (c.fatal)
            EXPECT_EXIT(start_run_with(c.fault), testing::ExitedWithCode(exit_status_minus_one),
                "Communication with box FAILED");
        else
            EXPECT_EXIT(start_run_with(c.fault), testing::ExitedWithCode(0), "");
    }
}

TEST(TargetOnBox, EachFaultStopsTheLinkTestsWithItsMessage)
{
    struct fault_case {
        const char* fault;
        const char* message;
    };
    const fault_case cases[] = {
        {"tdo-stuck-0", "Register test failed. Check cable connection.\n"},
        {"no-execute", "Register write/read test failed. Check cable connection.\n"},
        {"bad-adder", "CPU test failed. Check Box and cable connection.\n"},
    };
    for (const fault_case& c : cases) {
        SCOPED_TRACE(c.fault);
        start_box_session(c.fault);
        testing::internal::CaptureStdout();
        EXPECT_EQ(target_test(), -1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
    }
    sim::faults = sim::fault_set{};
}

TEST(TargetOnBoxDeathTest, TdoStuckHighEndsTheRunAtTheFirstExchange)
{
    // The message goes to standard output; send it where the death test looks.
    EXPECT_EXIT(
        {
            start_box_session("tdo-stuck-1");
            std::fflush(stdout);
            dup2(STDERR_FILENO, STDOUT_FILENO);
            target_test();
        },
        testing::ExitedWithCode(exit_status_minus_one),
        "\nCommunication with box FAILED. Retry after enlarge time out value with -t option\n");
}

TEST(TargetOnBox, EveryGprTakesAndGivesBackItsValue)
{
    start_box_session();
    for (uint32_t n = 0; n < 32; ++n)
        gpr_write(n, 0xA5000000u | n << 8 | n);
    for (uint32_t n = 0; n < 32; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(sim::core_gpr(n), 0xA5000000u | n << 8 | n);
        EXPECT_EQ(gpr_read(n), 0xA5000000u | n << 8 | n);
    }
}

enum class move_kind { dcr, spr, msr };

TEST(TargetOnBox, RegisterMovesLandAndGiveR0Back)
{
    struct move_case {
        move_kind kind;
        uint32_t number;
        uint32_t value;
    };
    const move_case cases[] = {
        {move_kind::dcr, 0x30, 0x10800000},
        {move_kind::dcr, 0x1E5, 0x01F08000},
        {move_kind::dcr, 1023, 0xFFFFFFFF},
        {move_kind::spr, 272, 0x12345678}, // SPRG0
        {move_kind::spr, 0x3BA, 0},
        {move_kind::msr, 0, 0x00001000},
        {move_kind::msr, 0, 0},
    };
    const uint32_t old_r0 = 0x5EED0000;
    for (const move_case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " " << c.number);
        start_box_session();
        gpr_write(0, old_r0);
        const uint64_t exchanges = sim::box_statistics().exchanges;
        switch (c.kind) {
        case move_kind::dcr:
            dcr_write(c.number, c.value);
            EXPECT_EQ(sim::core_dcr(c.number), c.value);
            break;
        case move_kind::spr:
            spr_write(c.number, c.value);
            EXPECT_EQ(sim::core_spr(c.number), c.value);
            break;
        case move_kind::msr:
            msr_write(c.value);
            EXPECT_EQ(sim::core_msr(), c.value);
            break;
        }
        EXPECT_EQ(sim::box_statistics().exchanges - exchanges, 7u);
        EXPECT_EQ(sim::core_gpr(0), old_r0);
        EXPECT_EQ(sim::core_ddr(), old_r0);
        EXPECT_EQ(gpr_read(0), old_r0);
    }
}

TEST(TargetOnBox, WritingTheDebugDataRegisterEndsWithTheOldR0)
{
    start_box_session();
    gpr_write(0, 0x00C0FFEE);
    spr_write(1011, 0x77777777);
    EXPECT_EQ(sim::core_ddr(), 0x00C0FFEEu);
    EXPECT_EQ(sim::core_gpr(0), 0x00C0FFEEu);
}

TEST(TargetOnBox, StoresLeaveAddressInR1AndValueInR2)
{
    start_box_session();
    mem_write32(0x40060000, 0x44000002);
    EXPECT_EQ(sim::bus_register(0), 0x44000002u);
    EXPECT_EQ(gpr_read(1), 0x40060000u);
    EXPECT_EQ(gpr_read(2), 0x44000002u);

    mem_write32(0x40060000, 0); // a zero is stored like any other value
    EXPECT_EQ(sim::bus_register(0), 0u);
}

} // namespace
