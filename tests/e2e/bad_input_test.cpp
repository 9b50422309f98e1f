// SPDX-License-Identifier: MIT
// Hostile command lines: empty words, 100 kB words, bytes that are not
// ASCII, -t values out of every range, hundreds of options. Neither program
// may crash or read out of bounds (the sanitizer build watches), and each
// prints what it is specified to print.
//
// The real vexload only ever gets command lines that end before the first port
// access: every one is first run on vexload-sim, which must report no port
// access at all, before vexload itself sees it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/box_files.h"
#include "tests/e2e/expected_output.h"
#include "tests/support/run_program.h"
#include "tests/support/usage_text.h"

namespace {

const std::string& usage = usage_text;

using expected::board;
using expected::target_failed;
using expected::register_failed;

std::string refused(int code, int offset, int delay)
{
    return "\nUnknown model(" + std::to_string(code) + "," + std::to_string(offset) + "," + std::to_string(delay) +
           ") !!\n" + usage;
}

// A long word: 100 kB, or on Windows short enough that a whole run of junk
// still fits its 32767-character command line.
#if defined(_WIN32)
constexpr size_t long_size = 20 * 1024;
#else
constexpr size_t long_size = 100 * 1024;
#endif
const std::string long_word(long_size, 'q');
// "-" and count letters (built by appending: gcc 12 warns wrongly on "-" + std::string at -O3).
std::string letters(char letter, size_t count)
{
    std::string word(count + 1, letter);
    word[0] = '-';
    return word;
}

const std::string non_ascii = "\xff\xfe\x80\x01\x7f\xc3\xa9\xe2\x82\xac";

std::vector<std::string> repeated(std::vector<std::string> words, int times, std::vector<std::string> tail = {})
{
    std::vector<std::string> all;
    for (int i = 0; i < times; ++i)
        all.insert(all.end(), words.begin(), words.end());
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
}

struct line_case {
    const char* name;
    std::vector<std::string> args;
    std::string out;
};

// Command lines that never reach the target.
std::vector<line_case> lines_without_target()
{
    return {
        {"one empty word", {""}, usage},
        {"empty words only", {"", "", ""}, usage},
        {"empty model name", {"-m", ""}, usage},
        {"empty option argument everywhere", {"-m", "", "-o", "", "-t", "", "-c", ""}, usage},
        {"option letter alone at the end", {"-m"}, usage},
        {"lone hyphens", {"-", "-", "-"}, usage},
        {"many hyphens", {letters('-', 4999)}, usage},
        {"100 kB model name", {"-m", long_word}, usage},
        {"100 kB word as first word", {long_word, "-m", "quilby70s"}, usage},
        {"100 kB of option letters", {letters('x', long_size)}, usage},
        {"100 kB argument in the same word", {std::string("-m").append(long_word)}, usage},
        {"100 kB -c letters, then a word that ends the options", {letters('c', long_size), "zorvan50s"}, usage},
        {"non-ASCII model name", {"-m", non_ascii}, usage},
        {"model name with a trailing byte", {"-m", "zorvan50s\xff"}, usage},
        {"model name with a leading byte", {"-m", "\xa0zorvan50s"}, usage},
        {"model name that folds only outside ASCII", {"-m", "ZORVAN50\xc5\xbf"}, usage},
        {"non-ASCII option letters", {"-\xff\x80\xc3", "-m", "nosuch"}, usage},
        {"non-ASCII first word", {non_ascii, "-m", "quilby70s"}, usage},
        {"help among 500 unknown letters", repeated({"-x"}, 500, {"-h", "-m", "zorvan50s"}), usage},
        {"1000 unknown options", repeated({"-x", "-Y", "-:"}, 1000), usage},
        {"hundreds of models, none known", repeated({"-m", "zorvan50"}, 300), usage},
        {"delay that overflows 32 bits", {"-m", "quilby70s", "-t", "99999999999999999999999"}, refused(2, 0, 2147483647)},
        {"delay below the 32-bit range", {"-m", "quilby70s", "-t", "-99999999999999999999999"}, refused(2, 0, -2147483647 - 1)},
        {"delay at the 32-bit limits", {"-m", "quilby70s", "-t", "-2147483648"}, refused(2, 0, -2147483647 - 1)},
        {"delay of 100 kB of digits", {"-m", "quilby70s", "-t", std::string(long_size, '9')}, refused(2, 0, 2147483647)},
        {"delay with white space and a tail", {"-m", "quilby70s", "-t", " \t\n-12abc"}, refused(2, 0, -12)},
        {"delay not a number", {"-m", "quilby70s", "-t", non_ascii}, refused(2, 0, 0)},
        {"delay of a sign alone", {"-m", "quilby70s", "-t", "-"}, refused(2, 0, 0)},
        {"delay in hexadecimal reads its 0", {"-m", "quilby70s", "-t", "0x7f"}, refused(2, 0, 0)},
        {"hundreds of delays, the last wins", repeated({"-t", "5"}, 400, {"-t", "+17", "-m", "quilby70s"}), refused(2, 0, 17)},
        {"hundreds of formats, the last wins", repeated({"-o", "pal", "-ontsc"}, 300, {"-m", "pellox-max"}),
            refused(10006, 10000, 2)},
        {"non-ASCII format is PAL", {"-m", "quilby70s", "-o", non_ascii}, refused(2, 0, 2)},
        {"100 kB format", {"-m", "quilby70s", "-o", long_word}, refused(2, 0, 2)},
    };
}

class BadInput : public testing::Test {};

TEST_F(BadInput, CommandLinesThatEndBeforeTheTarget)
{
    for (const line_case& c : lines_without_target()) {
        // The virtual box first: it proves that the line never reaches a port.
        std::vector<std::string> sim_args{"--"};
        sim_args.insert(sim_args.end(), c.args.begin(), c.args.end());
        const program_result sim = run_program(VEXLOAD_SIM_PATH, sim_args);
        EXPECT_EQ(sim.status, 0) << c.name;
        EXPECT_TRUE(sim.out == c.out) << c.name << ":\n" << sim.out.substr(0, 400);
        // No summary: vexload-sim prints one for every run that touched the port.
        const bool untouched = sim.err.empty();
        EXPECT_TRUE(untouched) << c.name << ":\n" << sim.err.substr(0, 400);
        if (!untouched || sim.status != 0)
            continue; // never let the real tool near the port

        const program_result real = run_program(VEXLOAD_PATH, c.args);
        EXPECT_EQ(real.status, 0) << c.name;
        EXPECT_TRUE(real.out == c.out) << c.name << ":\n" << real.out.substr(0, 400);
        EXPECT_EQ(real.err, "") << c.name;
    }
}

// Bad words around a usable model on the virtual box: the run goes on as the
// words say. A stuck TDO ends each run after the link tests, so the lines are
// taken in full without a whole programming run each.
TEST_F(BadInput, BadWordsAroundAUsableModel)
{
    const std::string stopped_at_link_test = register_failed + target_failed;
    const line_case cases[] = {
        {"empty words after the options", {"-m", "zorvan50s", "", ""}, stopped_at_link_test},
        {"unknown name after a known one", {"-m", "zorvan50s", "-m", non_ascii}, stopped_at_link_test},
        {"100 kB verify argument", {"-m", "zorvan50s", "-c", long_word}, stopped_at_link_test},
        {"100 kB unknown letters", {letters('y', long_size), "-mzorvan50s"}, stopped_at_link_test},
        {"hundreds of options", repeated({"-x", "-o", "secam", "-t", "2", "-c", "1"}, 300, {"-m", "ZorVan50S"}),
            stopped_at_link_test},
        {"last model wins", repeated({"-m", "pellox-c"}, 200, {"-m", "zorvan50s"}), stopped_at_link_test},
        {"options after a non-option are the tool's to ignore", {"-m", "zorvan50s", non_ascii, "-m", "quilby70s"},
            stopped_at_link_test},
    };
    for (const line_case& c : cases) {
        std::vector<std::string> args{"--fault", "tdo-stuck-0", "--"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const program_result r = run_program(VEXLOAD_SIM_PATH, args);
        EXPECT_EQ(r.status, 0) << c.name;
        EXPECT_EQ(r.out, c.out) << c.name;
    }
}

// One whole run whose command line is full of junk still programs the box.
TEST_F(BadInput, WholeRunThroughJunk)
{
    const std::string flash = scratch_path("bad-input-flash");
    std::vector<std::string> args{"--flash", flash, "--"};
    // An empty word only as an argument: as a word of its own it would end the options.
    const std::vector<std::string> junk = repeated({"-x", "-o", "", "-o", non_ascii, "-t", "+2junk"}, 200,
        {letters('z', 2000), "-m", long_word, "-mzorvan50s", "-c", non_ascii});
    args.insert(args.end(), junk.begin(), junk.end());
    const program_result r = run_program(VEXLOAD_SIM_PATH, args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == expected::full_run(board, "MX IC MX29LV640MT", 0x18000, true)) << r.out.substr(0, 300);
    EXPECT_NE(r.err.find("image in flash: yes\n"), std::string::npos) << r.err;
    std::remove(flash.c_str());
}

struct box_case {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* said;  // in standard error
    bool model = true; // a refused model follows, so that a run that goes on ends at once
};

// The box's own options: refused with status 2 and a reason, never a crash.
TEST_F(BadInput, BoxOptionsOfEveryShape)
{
    const box_case cases[] = {
        {"empty chip", {"--chip", ""}, 2, "--chip needs a value"},
        {"100 kB chip", {"--chip", long_word}, 2, "unknown chip"},
        {"non-ASCII chip", {"--chip", non_ascii}, 2, "unknown chip"},
        {"empty fault", {"--fault", ""}, 2, "--fault needs a value"},
        {"100 kB fault", {"--fault", long_word}, 2, "unknown fault"},
        {"fault number of 100 kB digits", {"--fault", "cable-pull=" + std::string(long_size, '7')}, 2, "cable-pull"},
        {"fault number with a sign", {"--fault", "status-error=+3"}, 2, "status-error"},
        {"fault with two equals", {"--fault", "box-reset=1=2"}, 2, "box-reset"},
        {"non-ASCII fault", {"--fault", non_ascii + "=1"}, 2, "unknown fault"},
        {"chip id of empty fields", {"--chip-id", ",,,"}, 2, "--chip-id"},
        {"chip id with a fifth field", {"--chip-id", "1,2,3,4,5"}, 2, "--chip-id"},
        {"chip id with a bare prefix", {"--chip-id", "0x,1,2,3"}, 2, "--chip-id"},
        {"chip id of 100 kB", {"--chip-id", long_word}, 2, "--chip-id"},
        {"chip id with a sign", {"--chip-id", "-1,2,3,4"}, 2, "--chip-id"},
        {"port cost beyond 64 bits", {"--port-ns", "99999999999999999999999"}, 2, "--port-ns"},
        {"negative port cost", {"--port-ns", "-1"}, 2, "--port-ns"},
        // Time would stand still: no erase or program would ever finish.
        {"port cost of nothing", {"--port-ns", "0"}, 2, "--port-ns"},
        // Simulated time would wrap past 2^64 ns within the run and the flash
        // timing with it: a whole run then fails its first program.
        {"port cost past one second", {"--port-ns", "18446744073709551615"}, 2, "--port-ns"},
        {"port cost just past one second", {"--port-ns", "1000000001"}, 2, "--port-ns"},
        {"empty erase time", {"--sector-erase-ms", ""}, 2, "--sector-erase-ms"},
        {"erase time in seconds", {"--sector-erase-ms", "0.7s"}, 2, "--sector-erase-ms"},
        {"erase time just past the bound", {"--sector-erase-ms", "1000001"}, 2, "--sector-erase-ms"},
        {"erase time beyond 64 bits", {"--sector-erase-ms", "99999999999999999999999"}, 2, "--sector-erase-ms"},
        {"empty program time", {"--word-program-us="}, 2, "--word-program-us"},
        {"program time with a sign", {"--word-program-us", "+10"}, 2, "--word-program-us"},
        {"negative program time", {"--word-program-us", "-10"}, 2, "--word-program-us"},
        {"program time just past the bound", {"--word-program-us", "1000001"}, 2, "--word-program-us"},
        {"time limit nan", {"--max-sim-seconds", "nan"}, 2, "--max-sim-seconds"},
        {"time limit inf", {"--max-sim-seconds", "inf"}, 2, "--max-sim-seconds"},
        {"time limit 1e400", {"--max-sim-seconds", "1e400"}, 2, "--max-sim-seconds"},
        {"time limit past 1e10", {"--max-sim-seconds", "2e10"}, 2, "--max-sim-seconds"},
        {"empty winio", {"--winio", ""}, 2, "--winio"},
        {"non-ASCII winio", {"--winio", non_ascii}, 2, "--winio"},
        {"serve port too large", {"--serve", "65536"}, 2, "--serve"},
        {"value missing at the end", {"--chip"}, 2, "needs a value", false},
        // Refused before the run: its lock cannot be made there.
        {"flash file in a folder that is not there", {"--flash", "/nonexistent-vexload/x/flash"}, 2, "flash file"},
    };
    for (const box_case& c : cases) {
        std::vector<std::string> args = c.args;
        if (c.model)
            args.insert(args.end(), {"-m", "quilby70s"});
        const program_result r = run_program(VEXLOAD_SIM_PATH, args);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err.substr(0, 300);
        EXPECT_NE(r.err.find(c.said), std::string::npos) << c.name << ": " << r.err.substr(0, 300);
        EXPECT_EQ(r.out, c.status == 2 ? "" : refused(2, 0, 2)) << c.name;
    }
}

// -t so large that one clock outlasts any bench: the time limit ends the run
// by itself, says so, and leaves the flash file whole and untouched.
TEST_F(BadInput, TimeLimitStopsARunMadeEndlessByTheDelay)
{
    const std::string flash = scratch_path("bad-input-limit");
    std::string before(flash_words * 2, '\x55');
    for (size_t w = 0; w < flash_words; ++w)
        before[2 * w] = static_cast<char>(w & 0xFF);
    std::ofstream(flash, std::ios::binary).write(before.data(), static_cast<std::streamsize>(before.size()));
    const program_result r = run_program(VEXLOAD_SIM_PATH,
        {"--flash", flash, "--max-sim-seconds", "2.5", "--", "-m", "zorvan50s", "-t", "99999999999", "-c", "1"});
    EXPECT_EQ(r.status, 124) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("\nvexload-sim: stopped: simulated time passed 2.500000 s\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("image in flash: no\n"), std::string::npos) << r.err;
    // Not one clock finished: the first half period alone is 2^31 - 1 writes.
    EXPECT_EQ(summary_number(r.err, "TCK cycles"), 0u) << r.err;
    std::ostringstream after;
    after << std::ifstream(flash, std::ios::binary).rdbuf();
    EXPECT_TRUE(after.str() == before);
    EXPECT_FALSE(std::filesystem::exists(flash + ".saving"));
    std::remove(flash.c_str());
}

} // namespace
