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
#include "sim/serve.h"

namespace {

// One TCK period in the protocol: TMS/TDI with TCK low, then TCK high, then a TDO read.
std::string clock(bool tms, bool tdi)
{
    const char low = static_cast<char>('0' + (tms ? 2 : 0) + (tdi ? 1 : 0));
    return std::string{low, static_cast<char>(low + 4), 'R'};
}

std::string scan(bool ir, uint64_t value, int length)
{
    std::string s = clock(true, false);
    if (ir)
        s += clock(true, false);
    s += clock(false, false) + clock(false, false);
    for (int i = 0; i < length; ++i)
        s += clock(i == length - 1, ((value >> i) & 1) != 0);
    return s + clock(true, false) + clock(false, false);
}

int connect_to(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Sends the session and everything up to 'Q'; returns all replies until the server closes.
std::string session(int port, const std::string& bytes)
{
    const int fd = connect_to(port);
    if (fd < 0)
        return "no connection";
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    std::string replies;
    char buffer[4096];
    for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;)
        replies.append(buffer, static_cast<size_t>(got));
    close(fd);
    return replies;
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
    const int fd = connect_to(control.bound_port.load());
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
