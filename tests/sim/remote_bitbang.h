// SPDX-License-Identifier: MIT
// A remote_bitbang client's bytes for the served box's tests: clocks, scans
// and debug exchanges, and a session over loopback.
#pragma once

#ifndef _WIN32
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "tests/support/loopback.h"

namespace remote_bitbang {

// One TCK period in the protocol: TMS/TDI with TCK low, then TCK high, then a TDO read.
inline std::string clock(bool tms, bool tdi)
{
    const char low = static_cast<char>('0' + (tms ? 2 : 0) + (tdi ? 1 : 0));
    return std::string{low, static_cast<char>(low + 4), 'R'};
}

inline std::string scan(bool ir, uint64_t value, int length)
{
    std::string s = clock(true, false);
    if (ir)
        s += clock(true, false);
    s += clock(false, false) + clock(false, false);
    for (int i = 0; i < length; ++i)
        s += clock(i == length - 1, ((value >> i) & 1) != 0);
    return s + clock(true, false) + clock(false, false);
}

// One debug exchange: the instruction, then 32 data bits and the final bit.
inline std::string exchange(uint8_t instruction, uint32_t data, bool final_bit = true)
{
    return scan(true, instruction, 7) + scan(false, data | (uint64_t{final_bit} << 32), 33);
}

constexpr uint8_t debug_control = 0x2C;
constexpr uint8_t execute = 0x3C;
constexpr uint8_t data_register = 0x5C;

inline std::string reset_to_idle()
{
    std::string s;
    for (int i = 0; i < 5; ++i)
        s += clock(true, false);
    return s + clock(false, false);
}

// Sends the session and everything up to 'Q'; returns all replies until the server closes.
inline std::string session(int port, const std::string& bytes)
{
    const int fd = loopback_connect(port);
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

} // namespace remote_bitbang
#endif
