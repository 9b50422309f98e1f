// SPDX-License-Identifier: MIT
// A served virtual box and a real OpenOCD on it, each its own process, for
// the tests and the benchmark of vexload-ocd. Every wait is bounded.
#pragma once

#include <string>
#include <vector>

// Where openocd is (empty when it cannot be had).
std::string openocd_program();

struct served_box {
    int box_pid = -1;
    int openocd_pid = -1;
    int tcl_port = -1;
    int box_port = -1; // the served box's own remote_bitbang port
    std::string log;   // the box's standard error
    std::string config;
    std::string openocd_log;

    // sim --serve with box_args, then OpenOCD on it; false with a reason in
    // error when either does not come up within 10 s.
    bool start(const std::string& sim, const std::vector<std::string>& box_args, std::string& error);
    // Stops OpenOCD, then the box, which saves its flash file.
    void stop();
    void kill_openocd();
    // OpenOCD ends its session with the box, whose summary of it is then in log.
    void stop_openocd();
    // The box goes away under a running OpenOCD, as a cable pulled from its adapter.
    void stop_box_only();
    ~served_box() { stop(); }
};

// A TCP port on 127.0.0.1 that nothing listens on just now.
int free_port();

// Starts a program with stdout and stderr into files; its pid.
int spawn(const std::string& path, const std::vector<std::string>& args, const std::string& out,
          const std::string& err);

// Its exit status (128 + N after signal N), or -1 when it did not end within ms.
int wait_for_exit(int pid, int ms);

// Waits until the file holds text; false after 60 s.
bool wait_for_text(const std::string& path, const std::string& text);
