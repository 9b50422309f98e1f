// SPDX-License-Identifier: MIT
// vexload-sim as a program: box options, faults seen through the tool's
// messages, the flash file between runs, traces, the time limit and the summary.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/box_option_names.h"
#include "tests/support/file_text.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_file.h"

namespace {

namespace fs = std::filesystem;

const std::string communication_failed =
    "\nCommunication with box FAILED. Retry after enlarge time out value with -t option\n";
const std::string target_failed = "Target test failed. If you need help, run \"flash help\"\n";

std::string program()
{
    return VEXLOAD_SIM_PATH;
}

std::string scratch(const std::string& stem)
{
    return scratch_file("program-" + stem);
}


std::string last_line(const std::string& text)
{
    const size_t end = text.size() - (text.empty() || text.back() != '\n' ? 0 : 1);
    const size_t start = text.rfind('\n', end - 1);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1));
}

uint64_t summary_number(const std::string& err, const std::string& label)
{
    const size_t at = err.find(label + ": ");
    return at == std::string::npos ? 0 : std::stoull(err.substr(at + label.size() + 2));
}

class Program : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(program())) << program();
    }
    program_result run(const std::vector<std::string>& args) { return run_program(program(), args); }
};

struct bad_option {
    std::vector<std::string> args;
    std::string said;
};

TEST_F(Program, BadBoxOptionsEndWithStatus2)
{
    const std::string wrong_size = scratch("short.flash");
    std::ofstream(wrong_size) << "too short";
    const std::string folder = fs::temp_directory_path().string();
    const bad_option cases[] = {
        {{"--port-ns", "fast"}, "--port-ns"},
        {{"--port-ns"}, "needs a value"},
        {{"--chip", "AM29LV640"}, "unknown chip"},
        {{"--chip-id", "C2,22C9,1"}, "--chip-id"},
        {{"--chip-id", "C2,22C9,10000,1"}, "--chip-id"},
        {{"--fault", "cable-yank"}, "unknown fault"},
        {{"--fault", "cable-pull=x"}, "cable-pull"},
        {{"--max-sim-seconds", "-1"}, "--max-sim-seconds"},
        {{"--flash", wrong_size}, "bytes"},
        {{"--vcd", "/nonexistent-dir/w.vcd"}, "VCD"},
        {{"--vcd", folder}, "cannot open VCD file " + folder + ": "},
        // Misspelt: the tool has no long options.
        {{"--flsh", "x", "--"}, "unknown option '--flsh'; vexload-sim takes --chip, "},
        {{"--vdc", "typo.vcd"}, "unknown option '--vdc'"},
        // The next word is another option, not a file named "--".
        {{"--flash", "--"}, "vexload-sim: --flash needs a value\n"},
        {{"--fault", "tdo-stuck-0", "--vcd", "--"}, "vexload-sim: --vcd needs a value\n"},
        {{"--port-log=--chip", "--"}, "--port-log needs a value"},
        // A box option among vexload's words would be lost.
        {{"--", "-m", "zorvan50s", "-c", "1", "--flash", "late.flash"},
            "vexload-sim: --flash stands among vexload's options: vexload-sim's own options go before them\n"},
        {{"-m", "zorvan50s", "--fault=bad-adder"}, "--fault stands among vexload's options"},
        {{"--help=1", "--"}, "--help takes no value"},
        {{"--flash", ""}, "--flash needs a value"},
        {{"--flash=", "--"}, "--flash needs a value"},
        {{"--vcd", ""}, "--vcd needs a value"},
        {{"--port-log=", "--"}, "--port-log needs a value"},
        {{"--fault", "erase-stuck=135"}, "erase-stuck: '135' is not a number from 0 to 134"},
        {{"--serve", "0"}, "vexload options do not apply to --serve: '-m'"},
        {{"--serve", "0", "--max-sim-seconds", "1", "--"}, "--max-sim-seconds does not apply to --serve"},
        {{"--serve", "0", "--strict-status", "--"}, "--strict-status does not apply to --serve"},
        {{"--vcd-from", "erase", "--"}, "need --vcd"},
        {{"--vcd", "w.vcd", "--vcd-from", "eras"}, "--vcd-from wants a phase (link-tests, board-script, "},
        {{"--vcd", "w.vcd", "--vcd-from", "verify", "--vcd-until", "erase"}, "--vcd-until comes before"},
    };
    for (const bad_option& c : cases) {
        std::vector<std::string> args = c.args;
        if (args.size() > 1)
            args.insert(args.end(), {"-m", "zorvan50s"});
        const program_result r = run(args);
        EXPECT_EQ(r.status, 2) << c.args[0];
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.args[0];
        EXPECT_EQ(r.err.find("simulated time"), std::string::npos) << c.args[0] << ": a summary of no run";
    }
    EXPECT_EQ(file_text(wrong_size, true), "too short");
    fs::remove(wrong_size);
}

TEST_F(Program, HelpNamesTheOptions)
{
    const program_result r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    // Each at the start of a line, followed by its value's name, its help or,
    // too long for the column, the line's end.
    for (const char* option : box_option_names) {
        const std::string line = std::string("\n  ") + option;
        EXPECT_TRUE(r.out.find(line + " ") != std::string::npos || r.out.find(line + "\n") != std::string::npos)
            << option;
    }
    EXPECT_NE(r.out.find("1 when --serve cannot listen"), std::string::npos);
}

TEST_F(Program, ToolWordsAfterTheBoxOptionsGoToTheTool)
{
    // No model: the tool's usage, no port traffic, no summary of a run that never was.
    const program_result bare = run({});
    EXPECT_EQ(bare.status, 0);
    EXPECT_EQ(bare.out.rfind("=====", 0), 0u) << bare.out;
    EXPECT_EQ(bare.err, "");
    // "--" ends the box options; a word after it that looks like one is the tool's.
    const program_result after = run({"--port-ns", "10", "--", "--no-such-option", "-h"});
    EXPECT_EQ(after.status, 0);
    EXPECT_EQ(after.out, bare.out);
}

// The chip's times reach the chip: the erase phase follows the sector time
// (the tool sleeps a second per poll), the download the word time.
TEST_F(Program, ChipTimesSetTheEraseAndTheDownload)
{
    const struct {
        std::vector<std::string> args;
        uint64_t sleeps;
        bool slower_download;
    } cases[] = {
        {{}, 137, false},
        {{"--sector-erase-ms", "0"}, 2, false},
        {{"--sector-erase-ms", "2000"}, 272, false},
        {{"--word-program-us", "1000"}, 137, true},
    };
    // No read-back: it has no pause and no program time of its own.
    const program_result typical = run({"--", "-m", "zorvan50s"});
    const double typical_download = std::stod(typical.err.substr(typical.err.find("phase download: ") + 16));
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--", "-m", "zorvan50s"});
        const program_result r = run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(summary_number(r.err, "sleeps"), c.sleeps) << args[0];
        const double download = std::stod(r.err.substr(r.err.find("phase download: ") + 16));
        EXPECT_EQ(download > typical_download, c.slower_download) << args[0];
        EXPECT_EQ(last_line(r.err), "image in flash: yes") << args[0];
    }
}

TEST_F(Program, VersionAndHelpComeFromTheTables)
{
    const program_result version = run({"--version", "-m", "zorvan50s"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "vexload-sim " VEXLOAD_VERSION "\n");
    const program_result help = run({"--help"});
    // The argument names --help gives are the ones the refusals use.
    for (const char* said : {"erase-stuck=K", "program-fail=I", "cable-pull=N", "MX29LV640BT", "board-script, identify"})
        EXPECT_NE(help.out.find(said), std::string::npos) << said;
}

struct strict_case {
    const char* name;
    std::vector<std::string> args;
    int status;
};

// The flash holds the image before each run: a run that fails must say so
// even though the image is already there.
TEST_F(Program, StrictStatusFailsWhereTheToolReportsAFailure)
{
    const std::string flash = scratch("strict.flash");
    ASSERT_EQ(run({"--flash", flash, "-m", "zorvan50s"}).status, 0);
    const strict_case cases[] = {
        {"target test failed", {"--strict-status", "--fault", "tdo-stuck-0"}, 1},
        {"flash not recognised", {"--strict-status", "--chip-id", "C2,1234,0,0"}, 1},
        {"Programming failed !", {"--strict-status", "--fault", "verify-mismatch=5", "--", "-c", "1"}, 1},
        {"usage only", {"--strict-status", "--", "-h"}, 1},
        {"the tool's own status without it", {"--fault", "tdo-stuck-0"}, 0},
        {"a good run", {"--strict-status", "--", "-c", "1"}, 0},
    };
    for (const strict_case& c : cases) {
        std::vector<std::string> args = {"--flash", flash};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"-m", "zorvan50s"});
        const program_result r = run(args);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.out.substr(0, 200);
    }
    fs::remove(flash);
}

struct limit_case {
    const char* seconds;
    const char* said; // the summary's time: the time of the stop
};

TEST_F(Program, TimeLimitStopsTheClockWhereItStops)
{
    const limit_case cases[] = {
        {"0.31", "simulated time: 0.310000 s"}, // in the second pause of the erase
        {"0.15", "simulated time: 0.150000 s"}, // in a pause of the reset
        {"0.25", "simulated time: 0.250001 s"}, // in port traffic: the access that passed it
    };
    for (const limit_case& c : cases) {
        const program_result r = run({"--max-sim-seconds", c.seconds, "--", "-m", "zorvan50s"});
        EXPECT_EQ(r.status, 124) << c.seconds;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
}

// Where a phase starts, from the summary's phase times.
uint64_t phase_start_us(const std::string& err, int phase)
{
    double start = 0;
    size_t at = 0;
    for (int i = 0; i < phase; ++i) {
        at = err.find("phase ", at) + 6;
        start += std::stod(err.substr(err.find(": ", at) + 2));
    }
    return static_cast<uint64_t>(std::llround(start * 1e6));
}

struct window_case {
    std::vector<std::string> window;
    int first_phase, end_phase; // the trace lies within [start of first, start of end)
};

// One phase of a whole run, or a stretch of seconds, without the rest: the
// trace's stamps (1 us each at the default port cost) lie within the phase.
TEST_F(Program, VcdWindowKeepsOnePhase)
{
    const std::string vcd = scratch("window.vcd");
    const window_case cases[] = {
        {{"--vcd-from", "identify", "--vcd-until", "identify"}, 2, 3},
        {{"--vcd-until", "link-tests"}, 0, 1},
        {{"--vcd-from", "board-script", "--vcd-until", "0.29"}, 1, -1},
    };
    for (const window_case& c : cases) {
        std::vector<std::string> args = c.window;
        args.insert(args.end(), {"--vcd", vcd, "--", "-m", "zorvan50s"});
        const program_result r = run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string wave = file_text(vcd, true);
        const size_t first = wave.find("\n#");
        const size_t last = wave.rfind("\n#");
        ASSERT_NE(first, std::string::npos) << wave.substr(0, 500);
        const uint64_t from = std::stoull(wave.substr(first + 2));
        const uint64_t until = std::stoull(wave.substr(last + 2));
        EXPECT_EQ(from, phase_start_us(r.err, c.first_phase)) << c.window[1];
        EXPECT_LT(until, c.end_phase < 0 ? 290'001u : phase_start_us(r.err, c.end_phase)) << c.window[1];
        EXPECT_GT(until, from + 1000) << c.window[1] << ": a phase of changes";
    }
    fs::remove(vcd);
}

struct fault_case {
    std::vector<std::string> args;
    std::string out;
    int status;
};

TEST_F(Program, FaultsShowAsTheToolReportsThem)
{
    const fault_case cases[] = {
        {{"--fault", "tdo-stuck-0"}, "Register test failed. Check cable connection.\n" + target_failed, 0},
        {{"--fault", "tdo-stuck-1"}, communication_failed, 255},
        {{"--fault", "never-halted"}, communication_failed, 255},
        {{"--fault", "no-execute"}, "Register write/read test failed. Check cable connection.\n" + target_failed, 0},
        {{"--fault", "bad-adder"}, "CPU test failed. Check Box and cable connection.\n" + target_failed, 0},
        {{"--fault", "slow-target=3"}, communication_failed, 255},
        // Cut after the link tests: the first exchange after it fails.
        {{"--fault", "cable-pull=60000"}, "zorvan50s(PAL) board initialize\n" + communication_failed, 255},
    };
    for (const fault_case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-m", "zorvan50s"});
        const program_result r = run(args);
        EXPECT_EQ(r.out, c.out) << c.args[1];
        EXPECT_EQ(r.status, c.status) << c.args[1];
        EXPECT_EQ(last_line(r.err), "image in flash: no") << c.args[1];
    }
}

TEST_F(Program, FlashFileCarriesTheImageFromOneRunToTheNext)
{
    const std::string flash = scratch("run.flash");
    const program_result first = run({"--flash", flash, "-m", "pellox-c"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("Complete !\n"), std::string::npos);
    EXPECT_EQ(last_line(first.err), "image in flash: yes");
    ASSERT_EQ(fs::file_size(flash), 8u << 20);

    // A slow target at -t 3 still programs; the image was there before and is there after.
    const program_result second = run({"--flash", flash, "--fault", "slow-target=3", "-m", "pellox-c", "-t", "3", "-c", "1"});
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_NE(second.out.find("Checking."), std::string::npos);
    EXPECT_EQ(last_line(second.err), "image in flash: yes");

    // Stopped in the middle of the download (the erase takes some 140 s): the
    // file is saved whole, the image only in part.
    const program_result stopped = run({"--flash", flash, "--max-sim-seconds", "200", "-m", "pellox-c"});
    EXPECT_EQ(stopped.status, 124);
    EXPECT_NE(stopped.err.find("stopped"), std::string::npos) << stopped.err;
    EXPECT_EQ(last_line(stopped.err), "image in flash: no");
    EXPECT_EQ(fs::file_size(flash), 8u << 20);
    EXPECT_FALSE(fs::exists(flash + ".saving"));
    fs::remove(flash);
}

TEST_F(Program, SummaryAndTracesAgree)
{
    const std::string log = scratch("port.log");
    const std::string vcd = scratch("wave.vcd");
    const program_result r =
        run({"--port-log", log, "--vcd", vcd, "--port-ns", "500", "--fault", "tdo-stuck-0", "-m", "zorvan50s"});
    ASSERT_EQ(r.status, 0) << r.err;

    const std::string lines = file_text(log, true);
    const uint64_t accesses = summary_number(r.err, "port accesses");
    EXPECT_EQ(static_cast<uint64_t>(std::count(lines.begin(), lines.end(), '\n')), accesses);
    // Reset group low first, then the TAP reset with TMS high.
    EXPECT_EQ(lines.rfind("w 10\nw 12\nw 12\nw 16\nw 16\nr f8\n", 0), 0u) << lines.substr(0, 80);
    // Reset-and-halt and the register test: 64 clocks, two control words, the
    // pattern written and read back (the read keeps the instruction).
    EXPECT_EQ(summary_number(r.err, "TCK cycles"), 64u + 3 * 51 + 39);
    EXPECT_EQ(summary_number(r.err, "exchanges"), 4u);
    EXPECT_EQ(summary_number(r.err, "sleeps"), 2u);

    const std::string wave = file_text(vcd, true);
    EXPECT_NE(wave.find("$enddefinitions $end"), std::string::npos);
    // The last change is stamped before the run's end: accesses at 500 ns plus 200 ms of sleeps.
    const size_t last_stamp = wave.rfind('#');
    ASSERT_NE(last_stamp, std::string::npos);
    // At 500 ns per access the timescale is 100 ns.
    EXPECT_NE(wave.find("$timescale 100ns $end"), std::string::npos);
    EXPECT_LE(std::stoull(wave.substr(last_stamp + 1)) * 100, accesses * 500 + 200'000'000);
    EXPECT_NE(r.err.find("simulated time: 0.2"), std::string::npos) << r.err;
    fs::remove(log);
    fs::remove(vcd);
}

} // namespace
