// SPDX-License-Identifier: MIT
#include "tests/flash/capture_stdout.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/support/scratch_file.h"

std::string capture_stdout(const std::function<void()>& body, std::string& printed)
{
    // Binary, so that the bytes read back are the bytes printed.
    const std::string name = scratch_file("flash-out");
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file == nullptr)
        throw std::runtime_error("cannot create " + name);
    std::fflush(stdout);
    const int saved = dup(1);
    dup2(fileno(file), 1);
    std::fclose(file);
    auto restore = [&] {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
        std::ifstream in(name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        std::remove(name.c_str());
        printed = text.str();
    };
    try {
        body();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return printed;
}

std::string capture_stdout(const std::function<void()>& body)
{
    std::string printed;
    return capture_stdout(body, printed);
}
