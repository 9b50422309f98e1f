// SPDX-License-Identifier: MIT
// The box served to a remote_bitbang client over loopback.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "sim/box.h"
#include "sim/debug_unit.h"
#include "sim/faults.h"
#include "sim/flash.h"
#include "sim/program/serve.h"
#include "tests/sim/remote_bitbang.h"

namespace {

using namespace remote_bitbang;

// r3 = address, r4 = value through the debug data register, then sth r4,0(r3).
std::string store_half(uint32_t address, uint16_t value)
{
    return exchange(data_register, address) + exchange(execute, 0x7C73FAA6) + exchange(data_register, value) +
           exchange(execute, 0x7C93FAA6) + exchange(execute, 0xB0830000);
}

// lhz r4,0(r3) with r3 = address; mtspr DDR,r4; the data register read last.
std::string load_half(uint32_t address)
{
    return exchange(data_register, address) + exchange(execute, 0x7C73FAA6) + exchange(execute, 0xA0830000) +
           exchange(execute, 0x7C93FBA6) + exchange(data_register, 0, false);
}

class FrontServe : public testing::Test {
protected:
    void SetUp() override
    {
        sim::faults = sim::fault_set{};
        sim::box_power_on();
        server = std::thread([this] { status = sim::serve_remote_bitbang(0, control); });
        for (int i = 0; i < 500 && control.bound_port.load() < 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_GT(control.bound_port.load(), 0);
    }
    void TearDown() override
    {
        control.stop.store(true);
        server.join();
    }
    sim::serve_control control;
    std::thread server;
    int status = -1;
};

TEST_F(FrontServe, DebugDataRegisterRoundTrip)
{
    std::string bytes;
    for (int i = 0; i < 5; ++i)
        bytes += clock(true, false);
    bytes += clock(false, false);
    bytes += scan(true, 0x5C, 7) + scan(false, 0x1CAFEF00Dull, 33) + scan(false, 0, 33) + "Q";
    const std::string replies = session(control.bound_port.load(), bytes);
    // One reply per 'R': 6 + (4 + 7 + 2) + 2 * (3 + 33 + 2) clocks.
    ASSERT_EQ(replies.size(), 6u + 13 + 2 * 38) << replies;
    // The read scan: its 33 shift clocks follow its three entry clocks.
    const std::string read = replies.substr(replies.size() - 35, 33);
    uint64_t value = 0;
    for (int i = 0; i < 33; ++i)
        value |= static_cast<uint64_t>(read[static_cast<size_t>(i)] == '1') << i;
    EXPECT_EQ(value, 0xCAFEF00Dull);
}

// A client that starts a sector erase and sleeps a second, as the tool does
// between polls, finds the sector erased on a box that keeps real time; on
// simulated time the sleep passes nothing and the chip still answers status.
TEST_F(FrontServe, SectorEraseFinishesWhileTheClientSleeps)
{
    const struct {
        bool real_time;
        bool erased;
    } cases[] = {{false, false}, {true, true}};
    constexpr uint32_t sector = sim::flash_window_base; // sector 0, word 0
    for (const auto& c : cases) {
        control.stop.store(true);
        server.join();
        control.stop.store(false);
        control.bound_port.store(-1);
        sim::box_power_on();
        sim::box_set_port_ns(1);
        sim::flash_set_times(1'000'000, sim::flash_program_ns);
        if (c.real_time)
            sim::box_use_real_time();
        sim::flash_array()[0] = 0x1234;
        server = std::thread([this] { status = sim::serve_remote_bitbang(0, control); });
        for (int i = 0; i < 500 && control.bound_port.load() < 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const int port = control.bound_port.load();
        std::string start(1, 's');
        start += reset_to_idle();
        start += exchange(debug_control, 0xB8000000);
        start += 'r';
        start += exchange(debug_control, 0x80000000);
        for (const auto& [offset, value] :
            {std::pair{0xAAAu, 0xAA}, {0x554u, 0x55}, {0xAAAu, 0x80}, {0xAAAu, 0xAA}, {0x554u, 0x55}, {0u, 0x30}})
            start += store_half(sector + offset, static_cast<uint16_t>(value));
        start += 'Q';
        session(port, start);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::string read = load_half(sector);
        read += 'Q';
        const std::string replies = session(port, read);
        ASSERT_GE(replies.size(), 35u);
        uint32_t value = 0;
        for (int i = 0; i < 16; ++i)
            value |= static_cast<uint32_t>(replies[replies.size() - 35 + static_cast<size_t>(i)] == '1') << i;
        EXPECT_EQ(value == 0xFFFF, c.erased) << std::hex << value << (c.real_time ? " on real time" : " on simulated time");
    }
    sim::flash_set_times(sim::flash_sector_erase_ns, sim::flash_program_ns);
}

TEST_F(FrontServe, AnyByteIsSafeAndTheNextClientIsServed)
{
    std::string noise;
    for (int b = 0; b < 256; ++b)
        if (b != 'Q')
            noise += static_cast<char>(b);
    noise += "sQ";
    // 'R' is the only byte in the noise that answers.
    const std::string replies = session(control.bound_port.load(), noise);
    EXPECT_EQ(replies.size(), 1u);
    EXPECT_TRUE(replies == "0" || replies == "1");
    EXPECT_EQ(session(control.bound_port.load(), "RQ").size(), 1u);
    // A client that hangs up without 'Q'.
    const int fd = loopback_connect(control.bound_port.load());
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(session(control.bound_port.load(), "rRQ").size(), 1u);
}

TEST_F(FrontServe, SrstDrivesTheResetGroupAndStopEndsCleanly)
{
    session(control.bound_port.load(), "sQ");
    control.stop.store(true);
    server.join();
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(sim::debug_unit.reset_asserted);
    server = std::thread([] {});
}

} // namespace
#endif
