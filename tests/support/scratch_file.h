// SPDX-License-Identifier: MIT
// File names in the system's temporary folder for tests; the process id and a
// serial number keep concurrent test runs and repeated calls apart.
#pragma once

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <filesystem>
#include <string>

inline int test_process_id()
{
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

// A name no other test uses; the file is not created, and the caller removes it.
inline std::string scratch_file(const std::string& stem)
{
    static std::atomic<int> serial{0};
    const std::string name =
        "vexload-" + stem + "-" + std::to_string(test_process_id()) + "-" + std::to_string(serial++);
    return (std::filesystem::temp_directory_path() / name).string();
}
