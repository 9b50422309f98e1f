// SPDX-License-Identifier: MIT
// The box on a TCP port for a JTAG client speaking OpenOCD's remote_bitbang
// protocol: '0'..'7' set TCK, TMS, TDI (bits 2, 1, 0), 'R' reads TDO ('0' or
// '1'), 'r'..'u' drive TRST and SRST ('r' none asserted, 's' SRST, 't' TRST,
// 'u' both), 'B'/'b' the LED, 'Q' ends the client's session. SRST is the
// box's reset group; the cable has no TRST line, so TRST changes nothing.
// Other bytes are ignored.
#pragma once

#include <atomic>

namespace sim {

struct serve_control {
    std::atomic<bool> stop{false};      // ends the server (safe to set from a signal handler)
    std::atomic<int> bound_port{-1};    // the port listened on, once listening
    void (*client_starts)() = nullptr;  // a client is served from now on
    // Its session has ended; input_waits: the times the box ran out of input
    // and waited for more, the client's round trips.
    void (*client_ends)(unsigned long long input_waits) = nullptr;
};

// Listens on 127.0.0.1:port (0: any free port), one client at a time, until
// control.stop is set. 0 after a clean stop; 1 (with a message on stderr)
// when the port cannot be opened.
int serve_remote_bitbang(int port, serve_control& control);

// One byte of the protocol against the box; a reply byte for 'R', else 0.
char remote_bitbang_byte(char command);

} // namespace sim
