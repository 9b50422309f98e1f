// SPDX-License-Identifier: MIT
// Named faults: parsing, and each cable-side fault as the PC sees it.
#include <gtest/gtest.h>

#include <string>

#include "sim/box.h"
#include "sim/debug_unit.h"
#include "sim/faults.h"
#include "sim/tap.h"
#include "tests/sim/front_bitbang.h"

namespace {

using front_test::bitbang;

class FrontFaults : public testing::Test {
protected:
    void SetUp() override
    {
        sim::faults = sim::fault_set{};
        sim::box_power_on();
    }
    void TearDown() override { sim::faults = sim::fault_set{}; }
    bitbang jtag;
};

struct parse_case {
    const char* text;
    bool accepted;
};

const parse_case parse_cases[] = {
    {"tdo-stuck-0", true},
    {"tdo-stuck-1", true},
    {"cable-pull=0", true},
    {"cable-pull=123456789012", true},
    {"slow-target=4", true},
    {"no-execute", true},
    {"bad-adder", true},
    {"never-halted", true},
    {"no-chip", true},
    {"erase-stuck=134", true},
    {"program-fail=0", true},
    {"slow-program=7", true},
    {"verify-mismatch=99", true},
    {"tdo_stuck_0", false},       // hyphens, not underscores
    {"cable-pull", false},        // needs a number
    {"cable-pull=", false},
    {"cable-pull=-1", false},
    {"cable-pull=12x", false},
    {"cable-pull=0x10", false},
    {"cable-pull=99999999999999999999", false},
    {"never-halted=1", false},    // takes none
    {"erase-stuck=135", false},   // the chip has sectors 0 to 134: could never fire
    {"slow-target=1", false},     // a one-write filter misses nothing
    {"", false},
    {"no-such-fault", false},
};

TEST_F(FrontFaults, ParsesEveryNameAndRefusesBadOnes)
{
    for (const parse_case& c : parse_cases) {
        sim::faults = sim::fault_set{};
        std::string error;
        EXPECT_EQ(sim::fault_apply(c.text, error), c.accepted) << c.text;
        EXPECT_EQ(error.empty(), c.accepted) << c.text << ": " << error;
    }
}

TEST_F(FrontFaults, SetsTheNamedField)
{
    std::string error;
    ASSERT_TRUE(sim::fault_apply("erase-stuck=12", error));
    ASSERT_TRUE(sim::fault_apply("slow-program=5", error));
    ASSERT_TRUE(sim::fault_apply("bad-adder", error));
    EXPECT_EQ(sim::faults.erase_stuck, 12);
    EXPECT_EQ(sim::faults.slow_program, 5);
    EXPECT_TRUE(sim::faults.bad_adder);
    EXPECT_EQ(sim::faults.program_fail, -1);
    ASSERT_TRUE(sim::fault_apply("tdo-stuck-1", error));
    ASSERT_TRUE(sim::fault_apply("tdo-stuck-0", error));
    EXPECT_TRUE(sim::faults.tdo_stuck_0);
    EXPECT_FALSE(sim::faults.tdo_stuck_1);
}

TEST_F(FrontFaults, ErrorNamesTheFault)
{
    std::string error;
    EXPECT_FALSE(sim::fault_apply("cable-yank=3", error));
    EXPECT_NE(error.find("cable-yank"), std::string::npos);
    EXPECT_NE(error.find("cable-pull=N"), std::string::npos) << "lists the known faults";
    // The number's name is the one --help gives.
    EXPECT_FALSE(sim::fault_apply("erase-stuck", error));
    EXPECT_NE(error.find("erase-stuck=K"), std::string::npos) << error;
}

TEST_F(FrontFaults, TdoStuckAtZeroReadsZerosWithoutStatus)
{
    sim::faults.tdo_stuck_0 = true;
    sim::box_power_on();
    jtag.halt_core();
    jtag.exchange(bitbang::data, 0xAA55AA55, true);
    const front_test::scan_result r = jtag.exchange(bitbang::data, 0, false);
    EXPECT_EQ(r.result, 0u);
    EXPECT_FALSE(r.status);
    EXPECT_EQ(sim::box_port_read(), 0xF8);
    // The box behind the cable still works.
    EXPECT_EQ(sim::debug_unit.mode, sim::core_mode::stopped);
}

TEST_F(FrontFaults, TdoStuckAtOneReadsOnesAndStatus)
{
    sim::faults.tdo_stuck_1 = true;
    sim::box_power_on();
    jtag.halt_core();
    const front_test::scan_result r = jtag.exchange(bitbang::data, 0, false);
    EXPECT_EQ(r.result, 0xFFFFFFFFu);
    EXPECT_TRUE(r.status);
    EXPECT_EQ(sim::box_port_read(), 0x78);
}

TEST_F(FrontFaults, CablePullAfterNAccesses)
{
    sim::faults.cable_pull = 100;
    sim::box_power_on();
    // Five clocks of three accesses each reach the box.
    for (int i = 0; i < 5; ++i)
        jtag.clock(true, false);
    jtag.clock(false, false);
    EXPECT_EQ(sim::tap.state, sim::tap_state::run_test_idle);
    while (sim::box_statistics().port_writes + sim::box_statistics().port_reads < 100)
        sim::box_port_write(sim::cable_reset_group | sim::cable_tck);
    // Off: TDO floats high (bit 7 reads 0), clocks no longer arrive.
    const uint64_t edges = sim::box_statistics().tck_cycles;
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(jtag.clock(true, false));
    EXPECT_EQ(sim::box_statistics().tck_cycles, edges);
    EXPECT_EQ(sim::tap.state, sim::tap_state::run_test_idle);
    EXPECT_EQ(sim::box_port_read(), 0x78);
}

TEST_F(FrontFaults, SlowTargetMissesShortHalfPeriodsAndALongerOneCuresIt)
{
    sim::faults.slow_target = 3;
    for (int half = 1; half <= 4; ++half) {
        sim::box_power_on();
        jtag = bitbang{};
        jtag.half = half;
        jtag.reset_to_idle();
        jtag.exchange(bitbang::data, 0x13355779, true);
        const front_test::scan_result r = jtag.exchange(bitbang::data, 0, false);
        if (half < 3) {
            EXPECT_EQ(sim::box_statistics().tck_cycles, 0u) << half;
            EXPECT_EQ(r.result, 0xFFFFFFFFu) << "TDO never driven, half " << half;
        } else {
            EXPECT_EQ(r.result, 0x13355779u) << half;
            EXPECT_FALSE(r.status);
        }
    }
}

} // namespace
