// SPDX-License-Identifier: MIT
#include "tests/flash/run_child.h"

#include <gtest/gtest.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/scratch_file.h"

namespace {

// The child's standard output goes to a file named in the environment, so
// that a child on Windows, a process of its own, writes where the parent reads.
constexpr const char* out_variable = "VEXLOAD_CHILD_STDOUT";

std::string child_out_file()
{
    if (const char* name = std::getenv(out_variable))
        return name;
    const std::string name = scratch_file("flash-child");
#ifdef _WIN32
    _putenv_s(out_variable, name.c_str());
#else
    setenv(out_variable, name.c_str(), 1);
#endif
    return name;
}

// What the death test's wait gives, as a shell reports it: exit(-1) is 255
// on both; a crash (a signal, or a Windows exception code) is -1.
int shell_status(int raw)
{
#ifdef _WIN32
    const auto code = static_cast<uint32_t>(raw);
    if (code <= 0xFF)
        return static_cast<int>(code);
    if (code >= 0xFFFFFF00)
        return static_cast<int>(code & 0xFF);
    return -1;
#else
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
}

} // namespace

child_result run_in_child(const std::function<void()>& body)
{
    const std::string name = child_out_file();
    child_result result;
    const auto keep_status = [&result](int raw) {
        result.status = shell_status(raw);
        return true;
    };
    EXPECT_EXIT(
        {
            std::fflush(stdout);
            if (std::FILE* file = std::fopen(name.c_str(), "wb")) {
                dup2(fileno(file), 1);
                std::fclose(file);
            }
            body();
            std::fflush(stdout);
            std::_Exit(0);
        },
        keep_status, "");
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    in.close();
    result.out = text.str();
    std::remove(name.c_str());
    return result;
}
