// SPDX-License-Identifier: MIT
// The packaged vexload-ocd against the real OpenOCD driving the served virtual
// box: each run of a real-images build must print what that build's
// vexload-sim prints for the same box, end with the same status and leave the
// same flash behind; a placeholder build never erases.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/ocd/served_box.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_file.h"

namespace {

const std::string real_sim = REAL_PREFIX "/bin/vexload-sim";
const std::string real_ocd = REAL_PREFIX "/bin/vexload-ocd";
const std::string main_sim = MAIN_PREFIX "/bin/vexload-sim";
const std::string main_ocd = MAIN_PREFIX "/bin/vexload-ocd";

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A flash file of a known pattern, so that any write to the chip shows.
std::string patterned_flash(const std::string& stem)
{
    const std::string path = scratch_file(stem);
    std::string bytes(8u << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + 3);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

class Ocd : public testing::Test {
protected:
    void SetUp() override
    {
        if (openocd_program().empty())
            GTEST_SKIP() << "openocd is not installed (scripts/setup installs it)";
        ASSERT_TRUE(std::filesystem::exists(real_ocd)) << "the real_images_build fixture did not run";
        ASSERT_TRUE(std::filesystem::exists(main_ocd)) << "the main_build_package fixture did not run";
    }
    void TearDown() override
    {
        for (const std::string& f : scratch)
            std::remove(f.c_str());
    }
    std::string flash(const std::string& stem)
    {
        scratch.push_back(patterned_flash(stem));
        return scratch.back();
    }
    std::vector<std::string> scratch;
};

struct box_case {
    const char* name;
    std::vector<std::string> box_args;
    std::vector<std::string> tool_args;
};

// The served run and the simulated one of the same box agree on what the
// technician sees and on what the chip holds afterwards.
TEST_F(Ocd, RunsAsVexloadSimDoes)
{
    const box_case cases[] = {
        // The real-images tree's small model: a real-sized image takes minutes
        // through OpenOCD's bit-level adapter (bench/ocd_bench times one).
        {"full run with verify", {}, {"-m", TEST_MODEL, "-c", "1"}},
        {"unknown chip", {"--chip-id", "C2,1234,0,0"}, {"-m", "zorvan50s"}},
        {"link test fails", {"--fault", "tdo-stuck-0"}, {"-m", "zorvan50s"}},
        {"communication fails", {"--fault", "tdo-stuck-1"}, {"-m", "zorvan50s"}},
    };
    for (const box_case& c : cases) {
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
        ASSERT_TRUE(box.start(real_sim, box_args, error)) << c.name << ": " << error;
        std::vector<std::string> ocd_args = {"--openocd", "127.0.0.1:" + std::to_string(box.tcl_port), "--"};
        ocd_args.insert(ocd_args.end(), c.tool_args.begin(), c.tool_args.end());
        const program_result served = run_program(real_ocd, ocd_args);
        box.stop();

        EXPECT_EQ(served.status, simulated.status) << c.name << ": " << served.err;
        EXPECT_EQ(served.out, simulated.out) << c.name << ": " << served.err;
        EXPECT_TRUE(slurp(served_flash) == slurp(simulated_flash)) << c.name;
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

TEST_F(Ocd, OpenOcdNotListening)
{
    const program_result r =
        run_program(real_ocd, {"--openocd", "127.0.0.1:" + std::to_string(free_port()), "-m", "zorvan50s"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("vexload-ocd: cannot reach OpenOCD's Tcl server at 127.0.0.1:"), std::string::npos) << r.err;
}

// OpenOCD killed in the middle of the download: the run ends as a failed link,
// at once, and the box keeps the part written so far.
TEST_F(Ocd, OpenOcdGoingAwayEndsTheRunAsAFailedLink)
{
    const std::string served_flash = flash("ocd-killed");
    served_box box;
    std::string error;
    ASSERT_TRUE(box.start(real_sim, {"--sector-erase-ms", "0", "--flash", served_flash}, error)) << error;
    const std::string out = scratch_file("ocd-killed-out");
    const std::string err = scratch_file("ocd-killed-err");
    scratch.insert(scratch.end(), {out, err});
    const int pid = spawn(real_ocd,
        {"--openocd", "127.0.0.1:" + std::to_string(box.tcl_port), "-m", "zorvan50s", "-c", "1"}, out, err);
    for (int i = 0; i < 6000 && slurp(out).find("Downloading") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_NE(slurp(out).find("Downloading"), std::string::npos) << slurp(err);
    box.kill_openocd();
    EXPECT_EQ(wait_for_exit(pid, 30000), 255);
    const std::string printed = slurp(out);
    const std::string failed = "\nCommunication with box FAILED. Retry after enlarge time out value with -t option\n";
    ASSERT_GE(printed.size(), failed.size());
    EXPECT_EQ(printed.substr(printed.size() - failed.size()), failed);
    EXPECT_EQ(printed.find("Complete"), std::string::npos);
    EXPECT_NE(slurp(err).find("vexload-ocd: OpenOCD closed the connection"), std::string::npos) << slurp(err);
}

} // namespace
