// SPDX-License-Identifier: MIT
// Runs a piece of code in a child process, as a run that may end the process.
#pragma once

#include <functional>
#include <string>

struct child_result {
    int status = -1;  // exit status 0 to 255 as a shell reports it; -1 when the child did not exit normally
    std::string out;  // its standard output
};

// body runs in a child process started as a death test: a fork of the test on
// POSIX; on Windows a new run of the test program that repeats the current
// test up to this call, so the test must get there the same way each time.
// If body returns, the child exits with 0. Call it from a test body only.
child_result run_in_child(const std::function<void()>& body);
