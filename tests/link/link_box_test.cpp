// SPDX-License-Identifier: MIT
// The link's cable and exchange on the virtual box, judged by the box's TAP
// (IEEE 1149.1): which line carries what, the TAP reset, and when the
// instruction register is scanned.
#include <gtest/gtest.h>

#include <vector>

#include "link/cable.h"
#include "link/debug_exchange.h"
#include "sim/box.h"
#include "sim/debug_unit.h"
#include "sim/faults.h"
#include "sim/tap.h"
#include "tests/support/halted_box.h"

namespace {

using st = sim::tap_state;

class LinkOnBox : public testing::Test {
protected:
    void SetUp() override
    {
        sim::faults = sim::fault_set{};
        power_on_box_and_link();
        ignore_link_status = 1; // the box's core is held in reset; its status is not the point here
    }
    void TearDown() override
    {
        ignore_link_status = 0;
        sim::box_trace_exchanges(false);
    }
};

// From Test-Logic-Reset to Shift-IR and through a 7-bit instruction scan to
// Shift-DR, per the state diagram. Capture-IR loads ...01, so the first two
// shift clocks put out 1 then 0 on TDO; the instruction shifted in by TDI is
// in force after Update-IR. The reset group holds the box while low.
TEST_F(LinkOnBox, CableCarriesTmsTckTdiTdoAndTheResetGroupToTheBox)
{
    struct step {
        int tms, tdi;
        st after;
        int tdo; // -1: not looked at
    };
    const int instruction = 0x5C;
    std::vector<step> walk = {{0, 0, st::run_test_idle, -1}, {1, 0, st::select_dr_scan, -1},
        {1, 0, st::select_ir_scan, -1}, {0, 0, st::capture_ir, -1}, {0, 0, st::shift_ir, -1}};
    for (int bit = 0; bit < 7; ++bit)
        walk.push_back({bit == 6, (instruction >> bit) & 1, bit == 6 ? st::exit1_ir : st::shift_ir,
            bit == 0 ? 1 : bit == 1 ? 0 : -1});
    walk.insert(walk.end(), {{1, 0, st::update_ir, -1}, {1, 0, st::select_dr_scan, -1},
                                {0, 0, st::capture_dr, -1}, {0, 0, st::shift_dr, -1}});

    set_reset_lines(0);
    EXPECT_TRUE(sim::debug_unit.reset_asserted);
    const uint64_t edges = sim::box_statistics().tck_cycles;
    for (size_t i = 0; i < walk.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "clock " << i + 1);
        const int tdo = tap_clock(walk[i].tms, walk[i].tdi);
        EXPECT_EQ(sim::tap.state, walk[i].after) << sim::tap_state_name(sim::tap.state);
        if (walk[i].tdo >= 0) {
            EXPECT_EQ(tdo, walk[i].tdo);
        }
    }
    EXPECT_EQ(sim::box_statistics().tck_cycles - edges, walk.size()) << "one rising edge per clock";
    EXPECT_EQ(sim::tap.ir, instruction);
    set_reset_lines(1);
    EXPECT_FALSE(sim::debug_unit.reset_asserted);
    EXPECT_EQ(sim::tap.state, st::shift_dr) << "switching the reset group gives no TCK edge";
}

// Five TMS-high clocks reach Test-Logic-Reset from any state; the tool's TAP
// reset is 64 of them, as the box counts them before the TAP leaves it.
TEST_F(LinkOnBox, TapResetIs64TmsHighClocksAndReachesTestLogicResetFromEveryState)
{
    for (int n = 0; n < sim::tap_state_count; ++n) {
        const auto state = static_cast<st>(n);
        SCOPED_TRACE(sim::tap_state_name(state));
        power_on_box_and_link();
        sim::tap.state = state;
        tap_reset();
        EXPECT_EQ(sim::tap.state, st::test_logic_reset);
        tap_clock(0, 0);
        EXPECT_EQ(sim::tap.reset_run, 64u);
    }
}

// The instruction register is scanned when the box's TAP holds another
// instruction, and for every control exchange; never when it already holds
// the instruction (reads only, so nothing happens in the box).
TEST_F(LinkOnBox, InstructionRegisterIsScannedOnlyWhenTheInstructionChanges)
{
    const struct {
        const char* name;
        std::vector<int> instructions;
    } cases[] = {
        {"data twice", {dbg_data, dbg_data}},
        {"execute three times", {dbg_execute, dbg_execute, dbg_execute}},
        {"data and execute alternating", {dbg_data, dbg_execute, dbg_data, dbg_execute}},
        {"control each time", {dbg_control, dbg_control}},
        {"control between data", {dbg_data, dbg_control, dbg_data, dbg_data}},
        {"execute after control", {dbg_execute, dbg_control, dbg_execute}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        power_on_box_and_link();
        sim::box_trace_exchanges(true);
        for (size_t i = 0; i < c.instructions.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "exchange " << i);
            const int instruction = c.instructions[i];
            const bool must_scan = sim::tap.ir != instruction || instruction == dbg_control;
            const uint64_t scans = sim::tap.ir_updates;
            dbg_exchange(instruction, 0, 0);
            EXPECT_EQ(sim::tap.ir_updates - scans, must_scan ? 1u : 0u);
            ASSERT_EQ(sim::box_exchanges().size(), i + 1);
            EXPECT_EQ(sim::box_exchanges().back().instruction, instruction);
            EXPECT_EQ(sim::tap.state, st::run_test_idle);
        }
    }
}

} // namespace
