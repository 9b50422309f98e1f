// SPDX-License-Identifier: MIT
// A whole file as a string, for tests that read what a program wrote.
#pragma once

#include <fstream>
#include <ios>
#include <sstream>
#include <string>

// Byte for byte; text_mode reads the system's line ends (CR LF on Windows) as "\n".
inline std::string file_text(const std::string& path, bool text_mode = false)
{
    std::ifstream in(path, text_mode ? std::ios::in : std::ios::in | std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
