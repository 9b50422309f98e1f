// SPDX-License-Identifier: MIT
// A program running beside the test (POSIX): its output read as it comes, so
// that a test can act at a point of the run, signal it, and collect its end.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct child_program {
    pid_t pid = -1;
    int out_fd = -1; // read end of its standard output; -1 once closed
    int err_fd = -1;
    std::string out;
    std::string err;
};

// Starts path with args, standard input from /dev/null; false when it cannot start.
bool child_start(child_program& child, const std::string& path, const std::vector<std::string>& args);

// Reads both outputs until text appears in the chosen one (stdout when
// in_err is false); false when the program ends or timeout_ms passes first.
bool child_wait_for(child_program& child, const std::string& text, bool in_err, int timeout_ms);

// Closes the test's end of the program's standard output.
void child_close_out(child_program& child);

// Reads the rest and waits for the end: the exit status, 128 + signal for a
// program killed by a signal, or -1 when it had to be killed after timeout_ms.
int child_finish(child_program& child, int timeout_ms);
