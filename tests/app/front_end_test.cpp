// SPDX-License-Identifier: MIT
// The real vexload on command lines that end before any target access:
// standard output byte for byte and the exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/usage_text.h"

namespace {

const std::string& usage = usage_text;

struct front_case {
    const char* name;
    std::vector<std::string> args;
    std::string out;
};

TEST(FrontEnd, CommandLinesThatEndBeforeTheTarget)
{
    const std::vector<front_case> cases = {
        {"no argument words", {}, usage},
        {"first word not an option", {"foo", "-m", "zorvan50s"}, usage},
        {"help", {"-h"}, usage},
        {"help after a model", {"-m", "zorvan50s", "-h"}, usage},
        {"help stops the scan", {"-h", "-m", "quilby70s"}, usage},
        {"unknown name, no message", {"-m", "nosuch"}, usage},
        {"no model named", {"-o", "ntsc", "-t", "4"}, usage},
        {"-c swallows -m", {"-c", "-m", "zorvan50s"}, usage},
        {"double hyphen first", {"--", "-m", "zorvan50s"}, usage},
        {"lone hyphen first", {"-", "-m", "zorvan50s"}, usage},
        {"empty word first", {"", "-m", "zorvan50s"}, usage},
        {"model after the options end", {"-c", "x", "zorvan50s"}, usage},
        {"quilby70s is refused", {"-m", "quilby70s"}, "\nUnknown model(2,0,2) !!\n" + usage},
        {"quilby70s NTSC is refused", {"-m", "QUILBY70S", "-o", "Ntsc"}, "\nUnknown model(10002,10000,2) !!\n" + usage},
        {"pellox-max has no NTSC", {"-m", "pellox-max", "-o", "ntsc", "-t", "7"},
            "\nUnknown model(10006,10000,7) !!\n" + usage},
        {"refused model shows a zero delay", {"-m", "quilby70s", "-t", "x"}, "\nUnknown model(2,0,0) !!\n" + usage},
        {"refused model shows a negative delay", {"-m", "quilby70s", "-t", "-12"}, "\nUnknown model(2,0,-12) !!\n" + usage},
        {"refused model shows a saturated delay", {"-m", "quilby70s", "-t", "99999999999"},
            "\nUnknown model(2,0,2147483647) !!\n" + usage},
        {"later -o wins", {"-m", "pellox-max", "-o", "pal", "-o", "ntsc"}, "\nUnknown model(10006,10000,2) !!\n" + usage},
        {"an unknown second name keeps the first", {"-m", "quilby70s", "-m", "nosuch"}, "\nUnknown model(2,0,2) !!\n" + usage},
        {"unknown letters pass silently", {"-x", "-y", "-m", "quilby70s", "-q"}, "\nUnknown model(2,0,2) !!\n" + usage},
        {"argument in the same word", {"-mquilby70s", "-ontsc"}, "\nUnknown model(10002,10000,2) !!\n" + usage},
    };
    for (const front_case& c : cases) {
        const program_result run = run_program(VEXLOAD_PATH, c.args);
        EXPECT_EQ(run.out, c.out) << c.name;
        EXPECT_EQ(run.status, 0) << c.name;
        EXPECT_EQ(run.err, "") << c.name;
    }
}

} // namespace
