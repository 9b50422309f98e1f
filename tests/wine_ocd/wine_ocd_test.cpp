// SPDX-License-Identifier: MIT
// vexload-ocd.exe under Wine against the real OpenOCD, which drives the
// served virtual box, both Linux programs, over loopback: each run of the
// Windows real-images build must print what that build's vexload-sim.exe
// prints for the same box, end with the same status and leave the same
// flash behind; one run holds an OpenOCD at a time; a port that is not
// OpenOCD's is said in one line; Ctrl-C stops a run through the console
// control handler. A Linux program, as it starts Linux ones; the Windows
// tree that runs it names the programs in its environment.
#include <gtest/gtest.h>

#include <csignal>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/box_files.h"
#include "tests/ocd/ocd_fixture.h"
#include "tests/ocd/served_box.h"
#include "tests/support/file_text.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_file.h"

namespace {

std::string setting(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// cmake/wine-run with the Wine width and prefix of the Windows tree.
const std::string wine_run = setting("VEXLOAD_WINE_RUN");
const std::string wine_bits = setting("VEXLOAD_WINE_BITS");
const std::string wine_prefix = setting("VEXLOAD_WINE_PREFIX");
// The real-images tree's programs, the main tree's placeholder vexload-ocd.exe and the probe.
const std::string windows_ocd = setting("VEXLOAD_WINDOWS_OCD");
const std::string windows_sim = setting("VEXLOAD_WINDOWS_SIM");
const std::string placeholder_ocd = setting("VEXLOAD_WINDOWS_PLACEHOLDER_OCD");
const std::string event_probe = setting("VEXLOAD_WINDOWS_EVENT_PROBE");
// The Linux vexload-sim that serves the box, and the small model's image.
const std::string served_sim = setting("VEXLOAD_SERVED_SIM");
const std::string test_image = setting("VEXLOAD_TEST_IMAGE");

std::vector<std::string> under_wine(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<std::string> all{wine_bits, wine_prefix, program};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

program_result run_windows(const std::string& program, const std::vector<std::string>& args)
{
    return run_program(wine_run, under_wine(program, args));
}

// Started, not waited for: its pid, which is the Windows program's once Wine
// has started it (cmake/wine-run ends in exec).
int spawn_windows(const std::string& program, const std::vector<std::string>& args, const std::string& out,
                  const std::string& err)
{
    return spawn(wine_run, under_wine(program, args), out, err);
}

// Its exit status once it ends within ms; otherwise it is killed, and -1.
int finish(int pid, int ms)
{
    const int status = wait_for_exit(pid, ms);
    if (status < 0) {
        ::kill(pid, SIGKILL);
        wait_for_exit(pid, 10000);
    }
    return status;
}

// A Linux path as a Windows program under Wine names it (drive Z: is /).
std::string windows_path(const std::string& path)
{
    return "Z:" + path;
}

class WineOcd : public ocd_fixture {
protected:
    void SetUp() override
    {
        if (openocd_program().empty())
            GTEST_SKIP() << "openocd is not installed (scripts/setup installs it)";
        for (const std::string* program : {&wine_run, &windows_ocd, &windows_sim, &placeholder_ocd, &event_probe,
                                           &served_sim, &test_image})
            ASSERT_TRUE(!program->empty() && std::filesystem::exists(*program))
                << "'" << *program << "' is missing: run this program through ctest in a Windows build tree, "
                << "whose wine_ocd fixtures build what it names";
    }
};

struct box_case {
    const char* name;
    std::vector<std::string> box_args;
    std::vector<std::string> tool_args;
    bool image_in_flash = false; // the run ends with the image in the flash and nothing else
};

void PrintTo(const box_case& c, std::ostream* out)
{
    *out << c.name;
}

class WineOcdAsSim : public WineOcd, public testing::WithParamInterface<box_case> {};

TEST_P(WineOcdAsSim, SameOutputStatusAndFlash)
{
    const box_case& c = GetParam();
    const std::string served_flash = flash("wine-ocd-served");
    const std::string simulated_flash = flash("wine-ocd-simulated");
    std::vector<std::string> sim_args = c.box_args;
    sim_args.insert(sim_args.end(), {"--flash", windows_path(simulated_flash), "--"});
    sim_args.insert(sim_args.end(), c.tool_args.begin(), c.tool_args.end());
    const program_result simulated = run_windows(windows_sim, sim_args);

    served_box box;
    std::vector<std::string> box_args = c.box_args;
    box_args.insert(box_args.end(), {"--sector-erase-ms", "0", "--flash", served_flash});
    std::string error;
    ASSERT_TRUE(box.start(served_sim, box_args, error)) << error;
    const program_result served = run_windows(windows_ocd, ocd_args(box, c.tool_args));
    box.stop();

    EXPECT_EQ(served.status, simulated.status) << served.err;
    EXPECT_EQ(served.out, simulated.out) << served.err;
    EXPECT_TRUE(file_text(served_flash) == file_text(simulated_flash));
    if (c.image_in_flash) {
        EXPECT_EQ(served.status, 0) << served.err;
        EXPECT_EQ(first_difference(read_words(served_flash), read_words(test_image), download_area), -1);
    }
}

INSTANTIATE_TEST_SUITE_P(BoxFaults, WineOcdAsSim,
    testing::Values(
        box_case{"full_run_with_verify", {}, {"-m", TEST_MODEL, "-c", "1"}, true},
        box_case{"program_fail", {"--fault", "program-fail=700"}, {"-m", TEST_MODEL, "-c", "1"}},
        box_case{"verify_mismatch", {"--fault", "verify-mismatch=700"}, {"-m", TEST_MODEL, "-c", "1"}},
        box_case{"cable_pull", {"--fault", "cable-pull=3000"}, {"-m", TEST_MODEL}}),
    [](const testing::TestParamInfo<box_case>& info) { return std::string(info.param.name); });

// A second run against an OpenOCD that a run holds touches nothing and says
// why; the first goes on as if alone. The first is held still (SIGSTOP)
// while the second is tried, however long Wine takes to start it: its claim
// stays fresh for half a minute.
TEST_F(WineOcd, ASecondRunIsRefusedAndTheFirstGoesOn)
{
    const std::string alone_flash = flash("wine-ocd-alone");
    const program_result alone =
        run_windows(windows_sim, {"--flash", windows_path(alone_flash), "--", "-m", TEST_MODEL, "-c", "1"});
    const std::string served_flash = flash("wine-ocd-shared");
    served_box box;
    std::string error;
    ASSERT_TRUE(box.start(served_sim, {"--sector-erase-ms", "10", "--flash", served_flash}, error)) << error;
    const std::string out = file("wine-ocd-first-out");
    const int first = spawn_windows(windows_ocd, ocd_args(box, {"-m", TEST_MODEL, "-c", "1"}), out,
                                    file("wine-ocd-first-err"));
    const bool erasing = wait_for_text(out, "Erase flash(all).");
    program_result second;
    if (erasing) {
        ::kill(first, SIGSTOP);
        second = run_windows(windows_ocd, ocd_args(box, {"-m", TEST_MODEL}));
        ::kill(first, SIGCONT);
    }
    EXPECT_EQ(finish(first, 60000), 0);
    box.stop();
    ASSERT_TRUE(erasing);
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.out, "");
    EXPECT_NE(second.err.find("is in use by another vexload-ocd run"), std::string::npos) << second.err;
    EXPECT_EQ(file_text(out), alone.out);
    EXPECT_TRUE(file_text(served_flash) == file_text(alone_flash));
}

// Before the box is touched: one line on standard error, status 1, nothing
// on standard output.
TEST_F(WineOcd, APortThatIsNotOpenOcdsIsSaidInOneLine)
{
    served_box box;
    std::string error;
    ASSERT_TRUE(box.start(served_sim, {}, error)) << error;
    const program_result box_port =
        run_windows(windows_ocd, {"--openocd", "127.0.0.1:" + std::to_string(box.box_port), "-m", TEST_MODEL});
    box.stop();
    const int free = free_port();
    const program_result nothing =
        run_windows(windows_ocd, {"--openocd", "127.0.0.1:" + std::to_string(free), "-m", TEST_MODEL});
    const struct {
        const char* name;
        const program_result& r;
        std::string says;
    } cases[] = {
        {"the box's own port", box_port, "is not OpenOCD's Tcl server: it answered 'vexload-sim: busy"},
        {"nothing listening", nothing,
         "cannot reach OpenOCD's Tcl server at 127.0.0.1:" + std::to_string(free) +
             ": Connection refused (is openocd running"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.r.status, 1) << c.name << ": " << c.r.err;
        EXPECT_EQ(c.r.out, "") << c.name;
        EXPECT_NE(c.r.err.find(c.says), std::string::npos) << c.name << ": " << c.r.err;
        EXPECT_EQ(c.r.err.find('\n'), c.r.err.size() - 1) << c.name << ": one line: " << c.r.err;
    }
}

// Wine turns SIGINT into the console's Ctrl-C event; the probe says whether
// it does for a program started this way. "" when it does, else why not.
std::string console_events_missing()
{
    const std::string out = scratch_file("wine-ocd-probe-out");
    const int pid = spawn_windows(event_probe, {}, out, "/dev/null");
    std::string missing;
    if (!wait_for_text(out, "ready"))
        missing = "the probe did not start";
    else
        ::kill(pid, SIGINT);
    if (const int status = finish(pid, 20000); missing.empty() && status != 0)
        missing = "the probe saw no event (status " + std::to_string(status) + ")";
    std::remove(out.c_str());
    return missing;
}

// Ctrl-C stops the run between two requests to OpenOCD through the console
// control handler: one line on the flash, status 130, and the claim given
// back, so that the next run is not refused.
TEST_F(WineOcd, CtrlCStopsTheRunWithALineOnTheFlash)
{
    if (const std::string missing = console_events_missing(); !missing.empty())
        GTEST_SKIP() << "Wine delivers no console control event here: " << missing;
    served_box box;
    std::string error;
    // Sectors of a second: the erase lasts minutes, so that the stop comes in it.
    ASSERT_TRUE(box.start(served_sim, {"--sector-erase-ms", "1000"}, error)) << error;
    const std::string out = file("wine-ocd-stop-out");
    const std::string err = file("wine-ocd-stop-err");
    const int pid = spawn_windows(windows_ocd, ocd_args(box, {"-m", TEST_MODEL, "-c", "1"}), out, err);
    // The second dot: the first sector's erase has been sent.
    const bool erasing = wait_for_text(out, "Erase flash(all)..");
    if (erasing)
        ::kill(pid, SIGINT);
    EXPECT_EQ(finish(pid, 30000), 130) << "box: " << file_text(box.log) << "OpenOCD: " << file_text(box.openocd_log);
    ASSERT_TRUE(erasing) << file_text(err);
    EXPECT_NE(file_text(err).find("stopped by Ctrl-C (SIGINT) while erasing: the flash is partly erased"),
              std::string::npos)
        << file_text(err);
    const program_result next = run_windows(placeholder_ocd, ocd_args(box, {"-m", "zorvan50s"}));
    EXPECT_EQ(next.status, 4) << next.err;
    EXPECT_NE(next.out.find("Flash info. :"), std::string::npos) << next.err;
}

} // namespace
