// SPDX-License-Identifier: MIT
// Text as a reader sees it, for messages and pages that wrap and indent
// freely: each run of white space one blank, none in front.
#pragma once

#include <string>

inline bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

inline std::string squeezed(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (!is_blank(c))
            out.push_back(c);
        else if (!out.empty() && out.back() != ' ')
            out.push_back(' ');
    }
    return out;
}
