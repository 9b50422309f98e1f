// SPDX-License-Identifier: MIT
// Runs one of the project's programs as a technician would and keeps what it printed.
#pragma once

#include <string>
#include <vector>

struct program_result {
    std::string out;  // standard output, byte for byte
    std::string err;  // standard error
    int status = -1;  // exit status (0 to 255), or -1 when it did not exit normally
};

program_result run_program(const std::string& path, const std::vector<std::string>& args);
