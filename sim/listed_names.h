// SPDX-License-Identifier: MIT
// The names of a table's rows as help texts and refusals list them: "a, b, c".
#pragma once

#include <string>

namespace sim {

template <typename Rows, typename NameOf>
std::string listed_names(const Rows& rows, NameOf name_of)
{
    std::string text;
    for (const auto& row : rows)
        text += (text.empty() ? "" : ", ") + std::string(name_of(row));
    return text;
}

} // namespace sim
