// SPDX-License-Identifier: MIT
// A client of OpenOCD's Tcl server: a command goes out ending in byte 0x1a,
// its answer comes back ending in the same byte (ocd/tcl_framing.h). Every
// wait has a bound, and a stop request (Ctrl-C) holds back the next command:
// the one in flight is let finish, unless the stop is asked for twice. The
// connection is a value that its caller holds; the sockets beneath are the
// platform's (ocd/tcp_socket.h).
#pragma once

#include <atomic>
#include <string>

#include "ocd/tcl_framing.h"
#include "ocd/tcp_socket.h"

constexpr int tcl_connect_ms = 5000;
constexpr int tcl_greeting_ms = 1000;
constexpr int tcl_answer_ms = 10000;

// Set from a signal or console event handler: the signal that asked to stop
// (SIGINT for every console event), and how many times a stop was asked for.
extern std::atomic<int> tcl_stop_signal;
extern std::atomic<int> tcl_stop_count;

struct tcl_client {
    tcp_socket socket;
    tcl_framing framing;
    long long requests = 0; // sent since the connection was made
};

// Connects to host:port and makes sure that OpenOCD's Tcl server answers
// there: an empty command must come back as an empty answer within
// tcl_greeting_ms. false with a one-line reason in error otherwise (nothing
// listening, another service, no answer), or "stopped".
bool tcl_connect(tcl_client& client, const std::string& host, int port, std::string& error);

// One command and its answer; false with a reason in error when the
// connection is gone, no whole answer came within answer_ms, the answer
// grew past tcl_answer_limit, a stop was asked for before it was sent, or a
// second one while it waited ("stopped").
bool tcl_request(tcl_client& client, const std::string& command, std::string& answer, std::string& error,
                 int answer_ms = tcl_answer_ms);

// Sends a command and does not wait for its answer (the last word of a run
// that is stopping).
void tcl_send_only(tcl_client& client, const std::string& command);

void tcl_close(tcl_client& client);
