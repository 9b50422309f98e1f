// SPDX-License-Identifier: MIT
// The debug unit's bench faults: a status bit out of nowhere, and a box that
// resets itself under the debugger.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "sim/box.h"
#include "sim/core.h"
#include "sim/debug_unit.h"
#include "sim/faults.h"
#include "tests/sim/front_bitbang.h"
#include "tests/support/run_program.h"

namespace {

using front_test::bitbang;

class FrontFaultExtra : public testing::Test {
protected:
    void SetUp() override { sim::faults = sim::fault_set{}; }
    void TearDown() override { sim::faults = sim::fault_set{}; }

    // The halt takes exchanges 0 and 1.
    void power_on_and_halt()
    {
        sim::box_power_on();
        jtag = bitbang{};
        jtag.halt_core();
        ASSERT_EQ(sim::debug_unit.exchanges, 2u);
        ASSERT_EQ(sim::debug_unit.mode, sim::core_mode::stopped);
    }
    bitbang jtag;
};

TEST_F(FrontFaultExtra, ParsesTheNewNames)
{
    std::string error;
    EXPECT_TRUE(sim::fault_apply("status-error=0", error)) << error;
    EXPECT_TRUE(sim::fault_apply("box-reset=41", error)) << error;
    EXPECT_EQ(sim::faults.status_error, 0);
    EXPECT_EQ(sim::faults.box_reset, 41);
    EXPECT_FALSE(sim::fault_apply("status-error", error));
    EXPECT_FALSE(sim::fault_apply("box-reset=-2", error));
    EXPECT_FALSE(sim::fault_apply("status-error=", error));
    EXPECT_NE(error.find("status-error"), std::string::npos) << error;
}

TEST_F(FrontFaultExtra, StatusErrorIsReportedOnceByTheNamedExchange)
{
    sim::faults.status_error = 3;
    power_on_and_halt();
    const front_test::scan_result write = jtag.exchange(bitbang::data, 0x13355779, true); // exchange 2
    EXPECT_FALSE(write.status);
    const front_test::scan_result bad = jtag.exchange(bitbang::data, 0, false); // exchange 3
    EXPECT_TRUE(bad.status);
    EXPECT_EQ(bad.result, 0x13355779u) << "the data path is unharmed";
    const front_test::scan_result next = jtag.exchange(bitbang::data, 0, false); // exchange 4
    EXPECT_FALSE(next.status);
    EXPECT_EQ(next.result, 0x13355779u);
    // The core still executes.
    jtag.exchange(bitbang::execute, bitbang::mfspr_r3_ddr, true);
    EXPECT_FALSE(jtag.exchange(bitbang::data, 0, false).status);
    EXPECT_EQ(sim::core_gpr(3), 0x13355779u);
}

TEST_F(FrontFaultExtra, StatusErrorOnAnExchangeDuringTheHalt)
{
    sim::faults.status_error = 1;
    sim::box_power_on();
    jtag.set_reset(true);
    jtag.reset_to_idle();
    EXPECT_FALSE(jtag.exchange(bitbang::control, 0xB8000000, true).status);
    jtag.set_reset(false);
    EXPECT_TRUE(jtag.exchange(bitbang::control, 0x80000000, true).status);
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::stopped) << "the control word still went in";
}

TEST_F(FrontFaultExtra, BoxResetLosesTheExchangeAndReleasesTheCore)
{
    sim::faults.box_reset = 4;
    power_on_and_halt();
    jtag.exchange(bitbang::data, 0x55667788, true);             // exchange 2
    jtag.exchange(bitbang::execute, bitbang::mfspr_r3_ddr, true); // 3: r3 = 0x55667788
    ASSERT_EQ(sim::core_gpr(3), 0x55667788u);
    jtag.exchange(bitbang::data, 0x11111111, true); // 4: lost in the reset
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::running);
    EXPECT_EQ(sim::debug_unit.control, 0u);
    EXPECT_EQ(sim::core_gpr(3), 0u) << "registers back at their reset values";
    const front_test::scan_result read = jtag.exchange(bitbang::data, 0, false); // 5
    EXPECT_EQ(read.result, 0u) << "the lost write never reached the register";
    EXPECT_FALSE(read.status) << "nothing failed yet";
    // An instruction for a running core fails; the next exchange says so.
    EXPECT_FALSE(jtag.exchange(bitbang::execute, bitbang::mfspr_r3_ddr, true).status); // 6
    EXPECT_TRUE(jtag.exchange(bitbang::data, 0, false).status);                          // 7
    // The debugger can take the box back.
    jtag.halt_core();
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::stopped);
}

TEST_F(FrontFaultExtra, BoxResetHeldByTheResetGroupStaysInReset)
{
    sim::faults.box_reset = 0;
    sim::box_power_on();
    jtag.set_reset(true);
    jtag.reset_to_idle();
    jtag.exchange(bitbang::control, 0xB8000000, true); // exchange 0: lost
    EXPECT_EQ(sim::debug_unit.control, 0u);
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::held_in_reset);
    // Without the halt-on-reset word the core runs once the lines are released.
    jtag.set_reset(false);
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::running);
}

TEST(FrontFaultExtraHelp, HelpNamesTheNewFaults)
{
    namespace fs = std::filesystem;
    const fs::path program = VEXLOAD_SIM_PATH;
    if (!fs::exists(program))
        GTEST_SKIP() << "vexload-sim is not built next to the test";
    const program_result r = run_program(program.string(), {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("status-error=N"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("box-reset=N"), std::string::npos) << r.out;
}

} // namespace
