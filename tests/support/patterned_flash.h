// SPDX-License-Identifier: MIT
// Flash files for the virtual box, of a known pattern so that any write to the
// chip shows, and the other scratch files of a test.
#pragma once

#include <cstddef>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/scratch_file.h"

// 8 MiB in the system's temporary folder; the caller removes it.
inline std::string patterned_flash(const std::string& stem)
{
    const std::string path = scratch_file(stem);
    std::string bytes(8u << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + 3);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// The scratch files of one test, removed when it ends.
struct scratch_files {
    std::vector<std::string> paths;
    std::string flash(const std::string& stem) { return keep(patterned_flash(stem)); }
    std::string file(const std::string& stem) { return keep(scratch_file(stem)); }
    std::string keep(const std::string& path)
    {
        paths.push_back(path);
        return path;
    }
    scratch_files() = default;
    scratch_files(const scratch_files&) = delete;
    scratch_files& operator=(const scratch_files&) = delete;
    ~scratch_files()
    {
        for (const std::string& path : paths)
            std::remove(path.c_str());
    }
};
