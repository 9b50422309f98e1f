// Runs a piece of code in a child process, as a run that may end the process.
#pragma once

#include <functional>
#include <string>

struct child_result {
    int status = -1;  // exit status 0 to 255; -1 when the child did not exit normally
    std::string out;  // its standard output
};

// body runs in a fork of the test; if it returns, the child exits with 0.
child_result run_in_child(const std::function<void()>& body);
