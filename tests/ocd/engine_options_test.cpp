// SPDX-License-Identifier: MIT
// vexload-ocd's own options, as a technician types them; none needs OpenOCD.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace {

struct option_case {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string err; // in standard error
};

TEST(OcdOptions, BadOptionsEndWithStatus2AndAReason)
{
    const option_case cases[] = {
        {"no port", {"--openocd", "localhost"}, 2, "--openocd wants HOST:PORT with a port from 1 to 65535, not 'localhost'"},
        {"port 0", {"--openocd=127.0.0.1:0"}, 2, "not '127.0.0.1:0'"},
        {"port too large", {"--openocd", "h:65536"}, 2, "not 'h:65536'"},
        {"no host", {"--openocd", ":6666"}, 2, "not ':6666'"},
        {"value missing", {"--tap"}, 2, "vexload-ocd: --tap needs a value\n"},
        {"empty tap", {"--tap", ""}, 2, "vexload-ocd: --tap needs a value\n"},
        {"another option for a value", {"--openocd", "--", "-m", "zorvan50s"}, 2, "vexload-ocd: --openocd needs a value\n"},
        {"an engine option among vexload's", {"--", "-m", "zorvan50s", "--tap=box.cpu"}, 2,
            "vexload-ocd: --tap stands among vexload's options: vexload-ocd's own options go before them\n"},
        {"a tap name that is no word", {"--tap", "box.cpu];shutdown;["}, 2, "not 'box.cpu];shutdown;['"},
        {"a typing error", {"--opencd=127.0.0.1:6666", "-m", "zorvan50s"}, 2, "unknown option '--opencd'"},
        {"an option of no program", {"--bogus"}, 2, "unknown option '--bogus'"},
        {"poll too slow", {"--erase-poll-ms", "2000"}, 2,
            "vexload-ocd: --erase-poll-ms wants a whole number of milliseconds from 1 to 1000, not '2000'\n"},
        {"a virtual box's option", {"--fault", "tdo-stuck-1", "-m", "zorvan50s"}, 2,
            "vexload-ocd: --fault is an option of vexload-sim's virtual box; vexload-ocd reaches a real box\n"},
        {"a box option after the engine's", {"--tap", "box.cpu", "--flash=f"}, 2, "--flash is an option of vexload-sim"},
        {"an unknown host", {"--openocd", "no-such-host.invalid:6666", "-m", "zorvan50s"}, 1,
            "vexload-ocd: cannot reach OpenOCD's Tcl server at no-such-host.invalid:6666: "},
    };
    for (const option_case& c : cases) {
        const program_result r = run_program(VEXLOAD_OCD_PATH, c.args);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.name << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.name;
    }
}

// Without a model the tool's own usage, as vexload prints it, and no OpenOCD needed;
// after "--" a word that looks like an option, but is none of the engine's, is the tool's.
TEST(OcdOptions, ToolWordsGoToTheTool)
{
    const program_result sim = run_program(VEXLOAD_SIM_PATH, {"--", "-h"});
    for (const std::vector<std::string>& args :
        {std::vector<std::string>{"-h"}, {"--openocd", "127.0.0.1:1", "--", "--bogus", "-h"}}) {
        const program_result r = run_program(VEXLOAD_OCD_PATH, args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, sim.out);
    }
    const program_result help = run_program(VEXLOAD_OCD_PATH, {"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--openocd HOST:PORT", "--tap NAME", "--version", "reset_config srst_only"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    const program_result version = run_program(VEXLOAD_OCD_PATH, {"--version", "-m", "zorvan50s"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "vexload-ocd " VEXLOAD_VERSION "\n");
}

} // namespace
