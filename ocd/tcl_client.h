// SPDX-License-Identifier: MIT
// A client of OpenOCD's Tcl server: a command goes out ending in byte 0x1a,
// its answer comes back ending in the same byte. Every wait has a bound.
#pragma once

#include <string>

constexpr int tcl_connect_ms = 5000;
constexpr int tcl_answer_ms = 10000;

// false with a one-line reason in error when host:port does not take the connection.
bool tcl_connect(const std::string& host, int port, std::string& error);

// One command and its answer; false with a reason in error when the connection
// is gone or no whole answer came within tcl_answer_ms.
bool tcl_request(const std::string& command, std::string& answer, std::string& error);

// Requests sent since the connection was made.
long long tcl_requests();

void tcl_close();
