// SPDX-License-Identifier: MIT
// The TAP of the box driven through the cable: IEEE 1149.1 state diagram,
// instruction capture, bypass, and the 33-bit debug scan.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "sim/box.h"
#include "sim/faults.h"
#include "sim/tap.h"
#include "tests/sim/front_bitbang.h"

namespace {

using sim::tap_state;
using st = sim::tap_state;

// The state diagram of IEEE 1149.1 (figure 6-1): {state, next with TMS 0, next with TMS 1}.
struct edge_row {
    tap_state from, tms0, tms1;
};

const edge_row diagram[] = {
    {st::test_logic_reset, st::run_test_idle, st::test_logic_reset},
    {st::run_test_idle, st::run_test_idle, st::select_dr_scan},
    {st::select_dr_scan, st::capture_dr, st::select_ir_scan},
    {st::capture_dr, st::shift_dr, st::exit1_dr},
    {st::shift_dr, st::shift_dr, st::exit1_dr},
    {st::exit1_dr, st::pause_dr, st::update_dr},
    {st::pause_dr, st::pause_dr, st::exit2_dr},
    {st::exit2_dr, st::shift_dr, st::update_dr},
    {st::update_dr, st::run_test_idle, st::select_dr_scan},
    {st::select_ir_scan, st::capture_ir, st::test_logic_reset},
    {st::capture_ir, st::shift_ir, st::exit1_ir},
    {st::shift_ir, st::shift_ir, st::exit1_ir},
    {st::exit1_ir, st::pause_ir, st::update_ir},
    {st::pause_ir, st::pause_ir, st::exit2_ir},
    {st::exit2_ir, st::shift_ir, st::update_ir},
    {st::update_ir, st::run_test_idle, st::select_dr_scan},
};

const edge_row& row_of(tap_state s)
{
    for (const edge_row& r : diagram)
        if (r.from == s)
            return r;
    throw std::logic_error("state missing from the diagram");
}

// Shortest TMS sequence from Test-Logic-Reset to target, over the diagram.
std::vector<bool> path_to(tap_state target)
{
    std::deque<std::pair<tap_state, std::vector<bool>>> queue{{st::test_logic_reset, {}}};
    std::vector<bool> seen(sim::tap_state_count);
    while (!queue.empty()) {
        auto [s, path] = queue.front();
        queue.pop_front();
        if (s == target)
            return path;
        if (seen[static_cast<int>(s)])
            continue;
        seen[static_cast<int>(s)] = true;
        for (bool tms : {false, true}) {
            std::vector<bool> next = path;
            next.push_back(tms);
            queue.emplace_back(tms ? row_of(s).tms1 : row_of(s).tms0, next);
        }
    }
    throw std::logic_error("unreachable state");
}

class FrontTap : public testing::Test {
protected:
    void SetUp() override
    {
        sim::faults = sim::fault_set{};
        sim::box_power_on();
    }
    front_test::bitbang jtag;
};

TEST_F(FrontTap, EveryTransitionOfTheStateDiagram)
{
    ASSERT_EQ(std::size(diagram), static_cast<size_t>(sim::tap_state_count));
    for (const edge_row& r : diagram) {
        for (bool tms : {false, true}) {
            for (int i = 0; i < 5; ++i)
                jtag.clock(true, false);
            ASSERT_EQ(sim::tap.state, st::test_logic_reset);
            for (bool step : path_to(r.from))
                jtag.clock(step, false);
            ASSERT_EQ(sim::tap.state, r.from) << sim::tap_state_name(r.from);
            jtag.clock(tms, false);
            EXPECT_EQ(sim::tap.state, tms ? r.tms1 : r.tms0)
                << "from " << sim::tap_state_name(r.from) << " with TMS " << tms;
        }
    }
}

TEST_F(FrontTap, FiveClocksWithTmsHighResetFromEveryState)
{
    for (const edge_row& r : diagram) {
        jtag.reset_to_idle();
        for (int i = 0; i < 5; ++i)
            jtag.clock(true, false);
        for (bool step : path_to(r.from))
            jtag.clock(step, false);
        for (int i = 0; i < 5; ++i)
            jtag.clock(true, false);
        EXPECT_EQ(sim::tap.state, st::test_logic_reset) << "from " << sim::tap_state_name(r.from);
    }
}

TEST_F(FrontTap, InstructionCaptureEndsInZeroOne)
{
    jtag.reset_to_idle();
    const uint8_t captured = jtag.instruction(0x5C);
    EXPECT_EQ(captured & 0x3, 0x1);
    // What was shifted in is in force: shifting it out again gives the capture, not the code.
    EXPECT_EQ(sim::tap.ir, 0x5C);
    EXPECT_EQ(jtag.instruction(0x7F) & 0x3, 0x1);
}

TEST_F(FrontTap, TestLogicResetSelectsBypass)
{
    jtag.reset_to_idle();
    jtag.instruction(0x5C);
    jtag.reset_to_idle();
    // A one-bit register: a pattern comes out one clock late, after the captured 0.
    EXPECT_EQ(jtag.scan(false, 0b1011, 4), 0b0110u);
}

TEST_F(FrontTap, BypassForEveryCodeButTheThreeDebugRegisters)
{
    jtag.reset_to_idle();
    for (int code = 0; code < 128; ++code) {
        jtag.instruction(static_cast<uint8_t>(code));
        const bool debug = code == 0x2C || code == 0x3C || code == 0x5C;
        if (debug) {
            // Captures the debug data register (0 here) and the status bit (0).
            EXPECT_EQ(jtag.scan(false, 0, 33), 0u) << code;
        } else {
            // One bit: its captured 0, then the ones shifted in, one clock late.
            EXPECT_EQ(jtag.scan(false, 0x1FFFFFFFFull, 33), 0x1FFFFFFFEull) << code;
        }
    }
}

TEST_F(FrontTap, DataWordWrittenWithFinalBitReadsBack)
{
    jtag.reset_to_idle();
    const uint32_t words[] = {0xDEADBEEF, 0x00000001, 0x80000000, 0xAA55AA55, 0};
    for (uint32_t w : words) {
        jtag.exchange(0x5C, w, true);
        const front_test::scan_result r = jtag.exchange(0x5C, 0, false);
        EXPECT_EQ(r.result, w);
        EXPECT_FALSE(r.status);
        // A read leaves the register as it was.
        EXPECT_EQ(jtag.exchange(0x5C, 0x12345678, false).result, w);
    }
}

TEST_F(FrontTap, ScanOutIsTheCapturedRegisterBitZeroFirst)
{
    jtag.reset_to_idle();
    jtag.exchange(0x5C, 0x00000001, true);
    // The word shifted in while the old one comes out, the status bit last.
    jtag.instruction(0x5C);
    const uint64_t out = jtag.scan(false, 0x1F0F0F0F0ull, 33);
    EXPECT_EQ(out, 0x000000001ull);
    EXPECT_EQ(jtag.exchange(0x5C, 0, false).result, 0xF0F0F0F0u);
}

TEST_F(FrontTap, UpdateThroughPauseDr)
{
    jtag.reset_to_idle();
    jtag.instruction(0x5C);
    // Shift 33 bits, pause in between, then Exit2-DR -> Update-DR.
    jtag.clock(true, false);
    jtag.clock(false, false);
    jtag.clock(false, false);
    const uint64_t word = 0x1CAFEF00Dull;
    for (int i = 0; i < 33; ++i)
        jtag.clock(i == 32, ((word >> i) & 1) != 0);
    jtag.clock(false, false); // Pause-DR
    jtag.clock(false, false);
    jtag.clock(true, false); // Exit2-DR
    EXPECT_EQ(sim::tap.state, st::exit2_dr);
    jtag.clock(true, false); // Update-DR
    jtag.clock(false, false);
    EXPECT_EQ(jtag.exchange(0x5C, 0, false).result, 0xCAFEF00Du);
}

TEST_F(FrontTap, ShortScanLeavesTheUnshiftedBitsInPlace)
{
    jtag.reset_to_idle();
    jtag.exchange(0x5C, 0xFFFFFFFF, true);
    // Only 8 bits shifted: the register has moved by 8, and bit 32 is not 1, so no write.
    jtag.instruction(0x5C);
    jtag.scan(false, 0, 8);
    EXPECT_EQ(jtag.exchange(0x5C, 0, false).result, 0xFFFFFFFFu);
}

} // namespace
