// SPDX-License-Identifier: MIT
// What vexload-ocd asks of the system it runs on, beyond its sockets, one
// implementation per platform: the stop requests (signals on POSIX, console
// events on Windows) and the names its claim on OpenOCD carries.
#pragma once

#include <string>

// From now on a stop request sets tcl_stop_signal and counts in
// tcl_stop_count (ocd/tcl_client.h): SIGINT and SIGTERM on POSIX; on Windows
// Ctrl-C, Ctrl-Break and the console's closing, each as SIGINT.
void catch_stop_requests();

// This process's id and the machine's name, for the claim.
long run_process_id();
std::string run_host_name();
