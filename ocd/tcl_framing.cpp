// SPDX-License-Identifier: MIT
#include "ocd/tcl_framing.h"

void tcl_take(tcl_framing& framing, std::string_view bytes)
{
    // What was given out goes before more comes, so that many answers in one
    // piece cost one move, not one each.
    framing.received.erase(0, framing.start);
    framing.start = 0;
    framing.received.append(bytes);
}

tcl_frame tcl_next_answer(tcl_framing& framing, std::string& answer)
{
    const size_t end = framing.received.find(tcl_end_of_message, framing.start);
    const size_t length = (end == std::string::npos ? framing.received.size() : end) - framing.start;
    if (length > tcl_answer_limit)
        return tcl_frame::too_long;
    if (end == std::string::npos)
        return tcl_frame::partial;
    answer.assign(framing.received, framing.start, length);
    framing.start = end + 1;
    return tcl_frame::whole;
}

std::string_view tcl_unanswered(const tcl_framing& framing)
{
    return std::string_view(framing.received).substr(framing.start);
}

std::string tcl_framed(std::string_view command)
{
    std::string out(command);
    out += tcl_end_of_message;
    return out;
}

std::string tcl_first_line(std::string_view text)
{
    constexpr size_t longest = 60;
    std::string line;
    for (const char c : text) {
        if (c == '\n' || c == '\r') {
            if (!line.empty())
                break;
            continue;
        }
        if (c >= 0x20 && c < 0x7f)
            line += c;
        if (line.size() >= longest)
            break;
    }
    return line;
}
