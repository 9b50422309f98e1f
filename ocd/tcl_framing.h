// SPDX-License-Identifier: MIT
// The framing of OpenOCD's Tcl server, apart from any I/O: every message ends
// in the byte 0x1a, in both directions. The server's bytes go in as they
// come, in pieces of any size; whole answers come out, one at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr char tcl_end_of_message = 0x1a;

// The most one answer may hold. vexload-ocd's requests get answers of a few
// kilobytes at most; a server that sends more without the end of its answer
// is not answering them, and memory stays bounded.
constexpr size_t tcl_answer_limit = size_t{1} << 20;

struct tcl_framing {
    std::string received; // bytes from the server not yet given out
    size_t start = 0;     // where in received the next answer begins
};

enum class tcl_frame { whole, partial, too_long };

// The server's next bytes.
void tcl_take(tcl_framing& framing, std::string_view bytes);

// The next answer, when all of it is there (whole: it and its end byte are
// consumed). partial: more bytes are needed. too_long: the answer is over
// tcl_answer_limit, and nothing of it is consumed.
tcl_frame tcl_next_answer(tcl_framing& framing, std::string& answer);

// What came past the last answer taken, not yet a whole answer.
std::string_view tcl_unanswered(const tcl_framing& framing);

// A command as it goes to the server.
std::string tcl_framed(std::string_view command);

// The first non-empty line of what a server said, printable characters only
// (telnet's option bytes and the like left out), at most 60 of them.
std::string tcl_first_line(std::string_view text);
