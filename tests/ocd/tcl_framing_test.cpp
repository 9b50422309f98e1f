// SPDX-License-Identifier: MIT
// The Tcl server's framing as the client reads it: bytes in pieces of any
// size, whole answers out, each ending in 0x1a, and an answer that grows past
// 1 MiB without its end given up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ocd/tcl_framing.h"

namespace {

constexpr size_t mib = 1 << 20;

struct framing_case {
    const char* name;
    std::vector<std::string> pieces;   // as the server's bytes come
    std::vector<std::string> answers;  // whole answers taken after the last piece
    tcl_frame then;                    // what the next take finds
    std::string left;                  // what came past the last answer
};

TEST(TclFraming, WholeAnswersOutOfPiecesOfAnySize)
{
    const framing_case cases[] = {
        {"one answer", {"0x1F 0\x1a"}, {"0x1F 0"}, tcl_frame::partial, ""},
        {"split frame", {"0x1", "F 0", "\x1a"}, {"0x1F 0"}, tcl_frame::partial, ""},
        {"several in one piece", {"a\x1a\x1a" "bc\x1a" "d"}, {"a", "", "bc"}, tcl_frame::partial, "d"},
        {"no end yet", {"held pid 12 on pc"}, {}, tcl_frame::partial, "held pid 12 on pc"},
        {"answer of exactly the limit", {std::string(mib, 'x') + "\x1a"}, {std::string(mib, 'x')}, tcl_frame::partial,
         ""},
        {"past the limit without its end", {std::string(mib, 'x'), "y"}, {}, tcl_frame::too_long,
         std::string(mib, 'x') + "y"},
        {"past the limit before its end", {std::string(mib + 1, 'x') + "\x1a" "next\x1a"}, {}, tcl_frame::too_long,
         std::string(mib + 1, 'x') + "\x1a" "next\x1a"},
        {"a whole answer before one too long", {"ok\x1a" + std::string(mib + 1, 'x')}, {"ok"}, tcl_frame::too_long,
         std::string(mib + 1, 'x')},
    };
    for (const framing_case& c : cases) {
        SCOPED_TRACE(c.name);
        tcl_framing framing;
        for (const std::string& piece : c.pieces)
            tcl_take(framing, piece);
        for (const std::string& expected : c.answers) {
            std::string answer;
            ASSERT_EQ(tcl_next_answer(framing, answer), tcl_frame::whole);
            EXPECT_EQ(answer, expected);
        }
        std::string answer = "unchanged";
        EXPECT_EQ(tcl_next_answer(framing, answer), c.then);
        EXPECT_EQ(answer, "unchanged");
        EXPECT_TRUE(tcl_unanswered(framing) == c.left);
    }
}

TEST(TclFraming, FirstLineOfAnotherService)
{
    const struct {
        std::string said;
        const char* line;
    } cases[] = {
        // OpenOCD's telnet server: its option bytes, then its greeting.
        {"\xff\xfb\x01\xff\xfb\x03Open On-Chip Debugger\r\n> ", "Open On-Chip Debugger"},
        {"\r\n\nvexload-sim: busy\n", "vexload-sim: busy"},
        {std::string(70, 'a'), "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"},
        {"\x01\x02\x03", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tcl_first_line(c.said), c.line);
}

} // namespace
