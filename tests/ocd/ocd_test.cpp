// SPDX-License-Identifier: MIT
// The packaged vexload-ocd against the real OpenOCD driving the served virtual
// box: each run of a real-images build must print what that build's
// vexload-sim prints for the same box, end with the same status and leave the
// same flash behind, through the batches and their fallback; one run holds an
// OpenOCD at a time; every failure is one plain line.
#include <gtest/gtest.h>

#include <csignal>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/ocd/ocd_fixture.h"
#include "tests/ocd/served_box.h"
#include "tests/support/run_program.h"

namespace {

const std::string real_sim = REAL_PREFIX "/bin/vexload-sim";
const std::string real_ocd = REAL_PREFIX "/bin/vexload-ocd";
const std::string main_sim = MAIN_PREFIX "/bin/vexload-sim";
const std::string main_ocd = MAIN_PREFIX "/bin/vexload-ocd";
const std::string failed_link = "\nCommunication with box FAILED. Retry after enlarge time out value with -t option\n";
// What OpenOCD may write of one whole run into its own output.
constexpr size_t openocd_lines_per_run = 100;

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Lines OpenOCD wrote while serving vexload-ocd's connections.
size_t run_lines(const std::string& log)
{
    const size_t from = log.find("accepting 'tcl' connection");
    if (from == std::string::npos)
        return 0;
    size_t lines = 0;
    for (size_t at = log.find('\n', from); at != std::string::npos; at = log.find('\n', at + 1))
        ++lines;
    return lines;
}

class Ocd : public ocd_fixture {
protected:
    void SetUp() override
    {
        if (openocd_program().empty())
            GTEST_SKIP() << "openocd is not installed (scripts/setup installs it)";
        ASSERT_TRUE(std::filesystem::exists(real_ocd)) << "the real_images_build fixture did not run";
        ASSERT_TRUE(std::filesystem::exists(main_ocd)) << "the main_build_package fixture did not run";
    }
};

struct box_case {
    const char* name;
    std::vector<std::string> box_args;
    std::vector<std::string> tool_args;
    bool quiet = false; // a run whose batches all pass keeps OpenOCD's output short
    std::vector<std::string> engine_args = {};
};

std::string case_name(const testing::TestParamInfo<box_case>& info)
{
    return info.param.name;
}

void PrintTo(const box_case& c, std::ostream* out)
{
    *out << c.name;
}

class OcdAsSim : public Ocd, public testing::WithParamInterface<box_case> {};

// The served run and the simulated one of the same box agree on what the
// technician sees and on what the chip holds afterwards. The real-images
// tree's small model keeps each run to seconds (bench/ocd_bench times a
// real-sized one).
TEST_P(OcdAsSim, SameOutputStatusAndFlash)
{
    const box_case& c = GetParam();
    const std::string served_flash = flash("ocd-served");
    const std::string simulated_flash = flash("ocd-simulated");
    std::vector<std::string> sim_args = c.box_args;
    sim_args.insert(sim_args.end(), {"--flash", simulated_flash, "--"});
    sim_args.insert(sim_args.end(), c.tool_args.begin(), c.tool_args.end());
    const program_result simulated = run_program(real_sim, sim_args);

    served_box box;
    std::vector<std::string> box_args = c.box_args;
    box_args.insert(box_args.end(), {"--sector-erase-ms", "0", "--flash", served_flash});
    std::string error;
    ASSERT_TRUE(box.start(real_sim, box_args, error)) << error;
    const program_result served = run_program(real_ocd, ocd_args(box, c.tool_args, c.engine_args));
    const std::string openocd_log = slurp(box.openocd_log);
    box.stop();

    EXPECT_EQ(served.status, simulated.status) << served.err;
    EXPECT_EQ(served.out, simulated.out) << served.err;
    EXPECT_TRUE(slurp(served_flash) == slurp(simulated_flash));
    if (c.quiet) {
        EXPECT_LE(run_lines(openocd_log), openocd_lines_per_run) << openocd_log;
        // The guide's configuration draws one warning, which it calls harmless.
        for (size_t at = openocd_log.find("Warn"); at != std::string::npos; at = openocd_log.find("Warn", at + 1))
            EXPECT_EQ(openocd_log.compare(at, 52, "Warn : gdb services need one or more targets defined"), 0)
                << openocd_log.substr(at, openocd_log.find('\n', at) - at);
    }
}

INSTANTIATE_TEST_SUITE_P(BoxFaults, OcdAsSim,
    testing::Values(
        box_case{"full_run_with_verify", {}, {"-m", TEST_MODEL, "-c", "1"}, true},
        // Each batch's file starts with a TAP reset that lets this core run:
        // the batch stops it again and seats its registers afresh.
        box_case{"tap_reset_releases_stop", {"--tap-reset-releases-stop"}, {"-m", TEST_MODEL, "-c", "1"}, true},
        // Each word still busy at its first poll: every batch falls back to
        // polling word by word, and words programmed while it was busy are
        // taken up as they are found.
        box_case{"slow_words_taken_up", {"--word-program-us", "400"}, {"-m", TEST_MODEL, "-c", "1"}},
        box_case{"program_fail", {"--fault", "program-fail=700"}, {"-m", TEST_MODEL, "-c", "1"}},
        // Word by word, no batch: vexload's own algorithm in single requests.
        box_case{"no_batches", {}, {"-m", TEST_MODEL, "-c", "1"}, true, {"--no-batches"}},
        box_case{"no_batches_verify_mismatch", {"--fault", "verify-mismatch=700"}, {"-m", TEST_MODEL, "-c", "1"},
                 false, {"--no-batches"}},
        box_case{"slow_program", {"--fault", "slow-program=700"}, {"-m", TEST_MODEL, "-c", "1"}},
        box_case{"verify_mismatch", {"--fault", "verify-mismatch=700"}, {"-m", TEST_MODEL, "-c", "1"}},
        box_case{"erase_stuck", {"--fault", "erase-stuck=131"}, {"-m", TEST_MODEL}},
        box_case{"tdo_stuck_1", {"--fault", "tdo-stuck-1"}, {"-m", "zorvan50s"}},
        box_case{"tdo_stuck_0", {"--fault", "tdo-stuck-0"}, {"-m", "zorvan50s"}},
        box_case{"cable_pull", {"--fault", "cable-pull=3000"}, {"-m", TEST_MODEL}},
        box_case{"no_chip", {"--fault", "no-chip"}, {"-m", TEST_MODEL}},
        box_case{"unknown_chip", {"--chip-id", "C2,1234,0,0"}, {"-m", TEST_MODEL}}),
    case_name);

// A second run against an OpenOCD that a run holds touches nothing and says
// why; the first goes on as if alone; the claim is given back at the end.
TEST_F(Ocd, ASecondRunIsRefusedAndTheFirstGoesOn)
{
    const std::string served_flash = flash("ocd-shared");
    const std::string alone_flash = flash("ocd-alone");
    const program_result alone =
        run_program(real_sim, {"--flash", alone_flash, "--", "-m", TEST_MODEL, "-c", "1"});
    served_box box;
    std::string error;
    // Sectors of 10 ms: the erase lasts over a second, time for a second run.
    ASSERT_TRUE(box.start(real_sim, {"--sector-erase-ms", "10", "--flash", served_flash}, error)) << error;
    const std::string out = file("ocd-first-out");
    const int first = spawn(real_ocd, ocd_args(box, {"-m", TEST_MODEL, "-c", "1"}), out, file("ocd-first-err"));
    ASSERT_TRUE(wait_for_text(out, "Erase flash(all)."));
    const program_result second = run_program(real_ocd, ocd_args(box, {"-m", TEST_MODEL}));
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.out, "");
    EXPECT_NE(second.err.find("is in use by another vexload-ocd run"), std::string::npos) << second.err;
    EXPECT_EQ(wait_for_exit(first, 60000), 0);
    EXPECT_EQ(slurp(out), alone.out);
    // A placeholder build goes as far as the chip and erases nothing.
    const program_result after = run_program(main_ocd, ocd_args(box, {"-m", "zorvan50s"}));
    box.stop();
    EXPECT_NE(after.out.find("Flash info. :"), std::string::npos) << after.err;
    EXPECT_TRUE(slurp(served_flash) == slurp(alone_flash));
}

struct stop_case {
    int signal;
    std::vector<std::string> box_args;
    const char* waits_for; // the output the signal comes after
    int status;
    const char* says;
};

// A signal stops the run between two requests to OpenOCD: one line says in
// which step and what the flash holds, and the next run is not refused.
TEST_F(Ocd, ASignalStopsTheRunWithALineOnTheFlash)
{
    const stop_case cases[] = {
        // Slow words: the download is word by word for seconds.
        {SIGINT, {"--sector-erase-ms", "0", "--word-program-us", "400"}, "Downloading", 130,
         "stopped by Ctrl-C (SIGINT) while downloading: the flash is half written"},
        // The second dot: the first sector's erase has been sent.
        {SIGTERM, {"--sector-erase-ms", "20"}, "Erase flash(all)..", 143,
         "stopped by SIGTERM while erasing: the flash is partly erased"},
    };
    for (const stop_case& c : cases) {
        SCOPED_TRACE(c.says);
        served_box box;
        std::string error;
        ASSERT_TRUE(box.start(real_sim, c.box_args, error)) << error;
        const std::string out = file("ocd-stop-out");
        const std::string err = file("ocd-stop-err");
        const int pid = spawn(real_ocd, ocd_args(box, {"-m", TEST_MODEL, "-c", "1"}), out, err);
        ASSERT_TRUE(wait_for_text(out, c.waits_for));
        ::kill(pid, c.signal);
        EXPECT_EQ(wait_for_exit(pid, 30000), c.status);
        EXPECT_NE(slurp(err).find(c.says), std::string::npos) << slurp(err);
        const program_result next = run_program(main_ocd, ocd_args(box, {"-m", "zorvan50s"}));
        EXPECT_NE(next.out.find("Flash info. :"), std::string::npos) << next.err;
    }
}

// A placeholder build proves cable, box and chip, then stops: not one sector
// erase reaches the chip, whose every word keeps its pattern.
TEST_F(Ocd, PlaceholderBuildStopsBeforeTheErase)
{
    const std::string served_flash = flash("ocd-placeholder");
    const std::string before = slurp(served_flash);
    const program_result simulated = run_program(main_sim, {"--", "-m", "zorvan50s"});
    served_box box;
    std::string error;
    ASSERT_TRUE(box.start(main_sim, {"--flash", served_flash}, error)) << error;
    const program_result r =
        run_program(main_ocd, {"--openocd", "127.0.0.1:" + std::to_string(box.tcl_port), "-m", "zorvan50s"});
    box.stop();
    EXPECT_EQ(r.status, 4) << r.err;
    const std::string refusal = "This build carries placeholder images";
    ASSERT_NE(r.out.find(refusal), std::string::npos) << r.out;
    // Up to the refusal exactly what vexload-sim printed before it erased.
    EXPECT_EQ(r.out.substr(0, r.out.find(refusal)), simulated.out.substr(0, simulated.out.find("Erase flash")));
    EXPECT_TRUE(slurp(served_flash) == before);
}

struct start_case {
    const char* name;
    int status;
    const char* says;
};

// What stands between vexload-ocd and the box before it is touched, each one
// line on standard error and status 1, nothing on standard output.
TEST_F(Ocd, WhatIsNotThereIsSaidInOneLine)
{
    // The box gone before the run: OpenOCD stays up without its adapter, or
    // (where it saw the closed socket first) ends itself; either is one line.
    served_box box;
    std::string error;
    ASSERT_TRUE(box.start(real_sim, {}, error)) << error;
    const program_result served_port =
        run_program(real_ocd, {"--openocd", "127.0.0.1:" + std::to_string(box.box_port), "-m", "zorvan50s"});
    box.stop_box_only();
    const program_result adapter_gone = run_program(real_ocd, ocd_args(box, {"-m", "zorvan50s"}));
    const char* gone_says = adapter_gone.err.find("cannot reach OpenOCD") == std::string::npos
                                ? "answers, but its adapter does not ("
                                : "cannot reach OpenOCD's Tcl server at 127.0.0.1:";
    const program_result not_listening =
        run_program(real_ocd, {"--openocd", "127.0.0.1:" + std::to_string(free_port()), "-m", "zorvan50s"});
    const struct {
        const char* name;
        const program_result& r;
        const char* says;
    } cases[] = {
        {"the box's own port", served_port, "is not OpenOCD's Tcl server: it answered 'vexload-sim: busy"},
        {"the box gone from OpenOCD", adapter_gone, gone_says},
        {"nothing listening", not_listening, "cannot reach OpenOCD's Tcl server at 127.0.0.1:"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.r.status, 1) << c.name << ": " << c.r.err;
        EXPECT_EQ(c.r.out, "") << c.name;
        EXPECT_NE(c.r.err.find(c.says), std::string::npos) << c.name << ": " << c.r.err;
        EXPECT_EQ(c.r.err.find('\n'), c.r.err.size() - 1) << c.name << ": one line: " << c.r.err;
    }
}

// Something gone in the middle of the download: OpenOCD killed, or the box
// (a served box stopped, as a cable pulled from its adapter), after which
// OpenOCD ends itself or stays up without its adapter. The run ends as a
// failed link at once, the flash keeps what was written, and standard error
// has one line naming what went and one that -t does nothing here.
TEST_F(Ocd, WhatGoesMidRunIsNamedInOneLine)
{
    const struct {
        const char* name;
        void (served_box::*gone)();
        bool box_may_stay; // OpenOCD may stay up, its adapter lost
    } cases[] = {
        {"OpenOCD killed", &served_box::kill_openocd, false},
        {"the box stopped", &served_box::stop_box_only, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        served_box box;
        std::string error;
        ASSERT_TRUE(box.start(real_sim, {"--sector-erase-ms", "0"}, error)) << error;
        const std::string out = file("ocd-gone-out");
        const std::string err = file("ocd-gone-err");
        const int pid = spawn(real_ocd, ocd_args(box, {"-m", "zorvan50s", "-c", "1"}), out, err);
        ASSERT_TRUE(wait_for_text(out, "Downloading")) << slurp(err);
        (box.*c.gone)();
        EXPECT_EQ(wait_for_exit(pid, 30000), 255);
        const std::string printed = slurp(out);
        ASSERT_GE(printed.size(), failed_link.size());
        EXPECT_EQ(printed.substr(printed.size() - failed_link.size()), failed_link);
        EXPECT_EQ(printed.find("Complete"), std::string::npos);
        const std::string said = slurp(err);
        const bool openocd_ended = said.find("vexload-ocd: OpenOCD closed the connection\n") != std::string::npos;
        const bool adapter_lost = said.find("): its adapter or the box has gone away\n") != std::string::npos;
        EXPECT_TRUE(openocd_ended != adapter_lost && (openocd_ended || c.box_may_stay)) << said;
        EXPECT_NE(said.find("vexload-ocd: -t does nothing here"), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
    }
}

} // namespace
