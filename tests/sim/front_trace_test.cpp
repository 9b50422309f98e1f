// SPDX-License-Identifier: MIT
// What the box records and how it keeps time: the exchange list, the port log,
// the VCD waveform, simulated time and the time limit.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/box.h"
#include "sim/clock.h"
#include "sim/faults.h"
#include "tests/support/file_text.h"
#include "tests/sim/front_bitbang.h"
#include "tests/support/scratch_file.h"

namespace {

using front_test::bitbang;

std::string trace_scratch(const std::string& stem)
{
    return scratch_file("front-" + stem);
}


class FrontTrace : public testing::Test {
protected:
    void SetUp() override
    {
        sim::faults = sim::fault_set{};
        sim::box_set_port_ns(1000);
        sim::box_power_on();
    }
    void TearDown() override
    {
        sim::box_close_traces();
        sim::box_trace_exchanges(false);
        sim::box_set_time_limit(0, nullptr);
        sim::box_set_port_ns(1000);
    }
    bitbang jtag;
};

TEST_F(FrontTrace, ExchangeListHoldsWhatWentInAndCameOut)
{
    sim::box_trace_exchanges(true);
    jtag.halt_core();
    jtag.exchange(bitbang::data, 0xAA55AA55, true);
    jtag.exchange(bitbang::execute, 0, true); // unknown word: fails
    jtag.exchange(bitbang::data, 0, false);
    const auto& list = sim::box_exchanges();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].instruction, 0x2C);
    EXPECT_EQ(list[0].data_in, 0xB8000000u);
    EXPECT_TRUE(list[0].final_bit);
    EXPECT_EQ(list[2].data_in, 0xAA55AA55u);
    EXPECT_EQ(list[4].instruction, 0x5C);
    EXPECT_EQ(list[4].result, 0xAA55AA55u);
    EXPECT_FALSE(list[4].final_bit);
    EXPECT_TRUE(list[4].status);
    EXPECT_FALSE(list[3].status);
}

TEST_F(FrontTrace, PortLogHasOneLinePerAccess)
{
    const std::string path = trace_scratch("port.log");
    ASSERT_TRUE(sim::box_open_port_log(path));
    sim::box_port_write(0x10);
    sim::box_port_write(0xF3);
    sim::box_port_write(0xF7);
    sim::box_port_read();
    ASSERT_TRUE(sim::box_close_traces());
    EXPECT_EQ(file_text(path, true), "w 10\nw f3\nw f7\nr 78\n");
    std::remove(path.c_str());
}

TEST_F(FrontTrace, PortLogCannotBeOpened)
{
    EXPECT_FALSE(sim::box_open_port_log("/nonexistent-dir/port.log"));
}

TEST_F(FrontTrace, VcdHoldsTheFiveSignalsOnSimulatedTime)
{
    const std::string path = trace_scratch("wave.vcd");
    ASSERT_TRUE(sim::box_open_vcd(path));
    sim::box_port_write(0x10);                               // t 1000: reset group stays low, nothing changes
    sim::box_port_write(0xF1);                               // t 2000: rst rises
    sim::box_port_write(0xF1 | sim::cable_tms);         // t 3000: tms
    sim::box_port_write(0xF1 | sim::cable_tms | sim::cable_tck); // t 4000: tck
    sim::box_sleep(1);                                       // 1 ms without traffic
    sim::box_port_write(0xF1 | sim::cable_tdi);         // t 1005000
    ASSERT_TRUE(sim::box_close_traces());
    const std::string vcd = file_text(path, true);
    for (const char* var : {" tck ", " tms ", " tdi ", " tdo ", " rst "})
        EXPECT_NE(vcd.find(std::string(var) + "$end"), std::string::npos) << var;
    EXPECT_NE(vcd.find("$timescale 1us $end"), std::string::npos);
    EXPECT_NE(vcd.find("Test-Logic-Reset"), std::string::npos);
    const std::string body = vcd.substr(vcd.find("$enddefinitions"));
    EXPECT_EQ(body,
        "$enddefinitions $end\n#0\n$dumpvars\n0!\n0\"\n0#\n1$\n0%\n$end\n"
        "#2\n1%\n#3\n1\"\n#4\n1!\n#1005\n0!\n0\"\n1#\n");
    std::remove(path.c_str());
}

// The largest power of ten that divides the port cost, up to 1 ms: a viewer
// then samples the trace no finer than it can change.
TEST_F(FrontTrace, VcdTimescaleFitsThePortCost)
{
    const struct {
        uint64_t port_ns;
        const char* timescale;
        const char* first_change; // after one access
    } cases[] = {
        {1000, "1us", "#1\n"},
        {500, "100ns", "#5\n"},
        {250, "10ns", "#25\n"},
        {3, "1ns", "#3\n"},
        {20'000'000, "1ms", "#20\n"},
    };
    for (const auto& c : cases) {
        sim::box_set_port_ns(c.port_ns);
        sim::box_power_on();
        const std::string path = trace_scratch("scale.vcd");
        ASSERT_TRUE(sim::box_open_vcd(path));
        sim::box_port_write(0xF1);
        ASSERT_TRUE(sim::box_close_traces());
        const std::string vcd = file_text(path, true);
        EXPECT_NE(vcd.find("$timescale " + std::string(c.timescale) + " $end"), std::string::npos) << c.port_ns;
        EXPECT_NE(vcd.find("$end\n" + std::string(c.first_change) + "1%"), std::string::npos) << vcd;
        std::remove(path.c_str());
    }
}

int stops = 0;
int stop_signal_seen = 0;
void note_stop(int signal)
{
    ++stops;
    stop_signal_seen = signal;
}

// A stop asked for from a signal handler is acted on at the next access or
// pause, once, and ahead of the time limit.
TEST_F(FrontTrace, StopRequestIsSeenAtTheNextAccessOrPause)
{
    for (const bool in_pause : {false, true}) {
        stops = 0;
        sim::box_power_on();
        sim::box_set_stop_handler(note_stop);
        sim::box_port_write(0x10);
        EXPECT_EQ(stops, 0);
        sim::box_request_stop(15);
        if (in_pause)
            sim::box_sleep(1);
        else
            sim::box_port_read();
        EXPECT_EQ(stops, 1) << in_pause;
        EXPECT_EQ(stop_signal_seen, 15);
        sim::box_port_write(0x10);
        EXPECT_EQ(stops, 1) << "once";
    }
}

TEST_F(FrontTrace, SimulatedTimeCountsAccessesAndSleeps)
{
    sim::box_set_port_ns(250);
    for (int i = 0; i < 8; ++i)
        sim::box_port_write(0x10);
    sim::box_port_read();
    sim::box_port_read();
    EXPECT_EQ(sim::now_ns(), 2500u);
    sim::box_sleep(100);
    EXPECT_EQ(sim::now_ns(), 100002500u);
    // A new cost applies from now on.
    sim::box_set_port_ns(1000);
    sim::box_port_write(0x10);
    EXPECT_EQ(sim::now_ns(), 100003500u);
    const sim::box_stats& s = sim::box_statistics();
    EXPECT_EQ(s.port_writes, 9u);
    EXPECT_EQ(s.port_reads, 2u);
    EXPECT_EQ(s.sleeps, 1u);
    EXPECT_EQ(s.sleep_ms, 100u);
}

int limit_calls = 0;
uint64_t limit_seen_at = 0;
void note_limit()
{
    ++limit_calls;
    limit_seen_at = sim::now_ns();
}

TEST_F(FrontTrace, TimeLimitCallsOnceWhenTimePassesIt)
{
    limit_calls = 0;
    sim::box_set_time_limit(10'000, note_limit); // ten accesses
    for (int i = 0; i < 10; ++i)
        sim::box_port_write(0x10);
    EXPECT_EQ(limit_calls, 0);
    sim::box_port_read();
    EXPECT_EQ(limit_calls, 1);
    EXPECT_EQ(limit_seen_at, 11'000u);
    EXPECT_TRUE(sim::box_time_limit_passed());
    for (int i = 0; i < 10; ++i)
        sim::box_port_write(0x10);
    EXPECT_EQ(limit_calls, 1);
}

TEST_F(FrontTrace, TimeLimitPassedInASleep)
{
    limit_calls = 0;
    sim::box_set_time_limit(50'000'000, note_limit);
    sim::box_sleep(49);
    EXPECT_EQ(limit_calls, 0);
    sim::box_sleep(2);
    EXPECT_EQ(limit_calls, 1);
    EXPECT_EQ(limit_seen_at, 50'000'000u) << "the run stops at the limit, not at the end of the pause";
}

} // namespace
