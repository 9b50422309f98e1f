// SPDX-License-Identifier: MIT
// The cable as the box sees the parallel port: which bit is which signal, on
// which edge TMS and TDI are taken and TDO changes, and the status byte.
#include <gtest/gtest.h>

#include <vector>

#include "sim/box.h"
#include "sim/faults.h"
#include "sim/tap.h"
#include "tests/sim/front_bitbang.h"

namespace {

using namespace front_test;
using sim::box_port_read;
using sim::box_port_write;

class FrontCable : public testing::Test {
protected:
    void SetUp() override
    {
        sim::faults = sim::fault_set{};
        sim::box_power_on();
    }
    bitbang jtag;
};

TEST_F(FrontCable, TmsIsTakenOnlyAtTheRisingEdge)
{
    // A rising edge with TMS high keeps Test-Logic-Reset; TMS dropping while
    // TCK is high, and the falling edge, move nothing.
    box_port_write(sim::cable_reset_group | sim::cable_tms);
    box_port_write(sim::cable_reset_group | sim::cable_tms | sim::cable_tck);
    box_port_write(sim::cable_reset_group | sim::cable_tck);
    EXPECT_EQ(sim::tap.state, sim::tap_state::test_logic_reset);
    box_port_write(sim::cable_reset_group);
    EXPECT_EQ(sim::tap.state, sim::tap_state::test_logic_reset);
    box_port_write(sim::cable_reset_group | sim::cable_tck); // rising edge with TMS 0
    EXPECT_EQ(sim::tap.state, sim::tap_state::run_test_idle);
    // TMS set in the same write as the rising edge counts.
    box_port_write(sim::cable_reset_group);
    box_port_write(sim::cable_reset_group | sim::cable_tck | sim::cable_tms);
    EXPECT_EQ(sim::tap.state, sim::tap_state::select_dr_scan);
    // Repeated writes of the same byte are no edges.
    for (int i = 0; i < 10; ++i)
        box_port_write(sim::cable_reset_group | sim::cable_tck | sim::cable_tms);
    EXPECT_EQ(sim::tap.state, sim::tap_state::select_dr_scan);
}

TEST_F(FrontCable, TdiIsTakenAtTheRisingEdge)
{
    jtag.reset_to_idle();
    jtag.instruction(0x5C);
    jtag.clock(true, false);
    jtag.clock(false, false);
    jtag.clock(false, false); // Shift-DR
    // 33 bits of 1 by TDI, except that TDI drops while TCK is still high after each edge.
    for (int i = 0; i < 33; ++i) {
        const uint8_t tms = i == 32 ? sim::cable_tms : 0;
        box_port_write(sim::cable_reset_group | tms | sim::cable_tdi);
        box_port_write(sim::cable_reset_group | tms | sim::cable_tdi | sim::cable_tck);
        box_port_write(sim::cable_reset_group | tms | sim::cable_tck);
    }
    jtag.clock(true, false);
    jtag.clock(false, false);
    EXPECT_EQ(jtag.exchange(0x5C, 0, false).result, 0xFFFFFFFFu);
}

TEST_F(FrontCable, TdoChangesOnTheFallingEdge)
{
    jtag.reset_to_idle();
    jtag.exchange(0x5C, 0x2, true); // bit 0 is 0, bit 1 is 1
    jtag.instruction(0x5C);
    jtag.clock(true, false);
    jtag.clock(false, false);
    jtag.clock(false, false); // Capture-DR -> Shift-DR
    // In Shift-DR, TCK high: not driven (pulled high) until the falling edge puts out bit 0.
    EXPECT_EQ(box_port_read() & 0x80, 0x00);
    box_port_write(sim::cable_reset_group);
    EXPECT_EQ(box_port_read() & 0x80, 0x80) << "bit 0 (a 0) shows as status bit 7 set";
    box_port_write(sim::cable_reset_group | sim::cable_tck); // shifts bit 0 out
    EXPECT_EQ(box_port_read() & 0x80, 0x80) << "TDO holds until the falling edge";
    box_port_write(sim::cable_reset_group);
    EXPECT_EQ(box_port_read() & 0x80, 0x00) << "bit 1 (a 1) after the falling edge";
}

TEST_F(FrontCable, StatusByteIsIdlePortWithTdoInvertedOnBit7)
{
    jtag.reset_to_idle();
    jtag.exchange(0x5C, 0x1, true);
    jtag.instruction(0x5C);
    jtag.clock(true, false);
    jtag.clock(false, false);
    jtag.clock(false, false);
    box_port_write(sim::cable_reset_group);
    EXPECT_EQ(box_port_read(), 0x78); // TDO 1
    box_port_write(sim::cable_reset_group | sim::cable_tck);
    box_port_write(sim::cable_reset_group);
    EXPECT_EQ(box_port_read(), 0xF8); // TDO 0
}

TEST_F(FrontCable, Bit4IsNotConnected)
{
    for (int i = 0; i < 5; ++i) {
        box_port_write(0x10 | sim::cable_reset_group | sim::cable_tms);
        box_port_write(sim::cable_reset_group | sim::cable_tms | sim::cable_tck);
        box_port_write(0x10 | sim::cable_reset_group | sim::cable_tms | sim::cable_tck);
    }
    EXPECT_EQ(sim::tap.state, sim::tap_state::test_logic_reset);
    // Toggling bit 4 alone gives no clock.
    for (int i = 0; i < 4; ++i)
        box_port_write(static_cast<uint8_t>((i & 1) ? 0x10 : 0x00) | sim::cable_reset_group);
    EXPECT_EQ(sim::box_statistics().tck_cycles, 5u);
}

// The box counts every port access, and as TCK cycles the rising edges of
// data bit 2 (repeated bytes and other bits are no edges).
TEST_F(FrontCable, BoxCountsEveryPortAccessAndEveryRisingTckEdge)
{
    const std::vector<uint8_t> bytes = {0xE1, 0xE5, 0xE5, 0xE5, 0xE1, 0xE3, 0xE7, 0xEF, 0xEB, 0xEF, 0xE1, 0xE1, 0xF5};
    uint64_t rising = 0;
    uint8_t last = 0;
    for (const uint8_t b : bytes) {
        rising += (b & 0x04) != 0 && (last & 0x04) == 0;
        last = b;
        box_port_write(b);
        box_port_read();
    }
    const sim::box_stats& s = sim::box_statistics();
    EXPECT_EQ(s.port_writes, bytes.size());
    EXPECT_EQ(s.port_reads, bytes.size());
    EXPECT_EQ(s.tck_cycles, rising);
}

} // namespace
