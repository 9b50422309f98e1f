// SPDX-License-Identifier: MIT
// The step times of vexload-sim's summary, which the figures' table of real
// port times is made from: the box tells the steps apart by what it sees on
// its bus, so they must add up to the run and stop where the run stopped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace {

const char* const phase_names[] = {"link tests", "board script", "identify", "erase", "download", "verify"};
constexpr int phase_count = 6;

struct summary {
    double total_s = -1;
    bool reached[phase_count] = {};
    double phase_s[phase_count] = {};
    int lines_found = 0;
};

summary read_summary(const std::string& err)
{
    summary s;
    const std::string total = "simulated time: ";
    const size_t t = err.find(total);
    if (t != std::string::npos)
        s.total_s = std::strtod(err.c_str() + t + total.size(), nullptr);
    for (int i = 0; i < phase_count; ++i) {
        const std::string label = std::string("\nphase ") + phase_names[i] + ": ";
        const size_t at = err.find(label);
        if (at == std::string::npos)
            continue;
        ++s.lines_found;
        const std::string rest = err.substr(at + label.size());
        s.reached[i] = rest.rfind("not reached", 0) != 0;
        if (s.reached[i])
            s.phase_s[i] = std::strtod(rest.c_str(), nullptr);
    }
    return s;
}

program_result run_sim(std::vector<std::string> args)
{
    return run_program(VEXLOAD_SIM, args);
}

struct phase_case {
    const char* name;
    std::vector<std::string> args;
    int status;
    int last_reached; // index of the last step the run got to
};

void PrintTo(const phase_case& c, std::ostream* os)
{
    *os << c.name;
}

class PhaseTimes : public testing::TestWithParam<phase_case> {};

// Each run stops at a known step; the steps up to it are reached, the ones
// after it are not, and the reached ones cover the whole simulated time.
TEST_P(PhaseTimes, StepsStopWhereTheRunStoppedAndAddUpToTheRun)
{
    const phase_case& c = GetParam();
    const program_result r = run_sim(c.args);
    EXPECT_EQ(r.status, c.status) << r.out.substr(0, 300) << r.err;
    const summary s = read_summary(r.err);
    ASSERT_EQ(s.lines_found, phase_count) << r.err;
    EXPECT_TRUE(r.err.ends_with("\nimage in flash: yes\n") || r.err.ends_with("\nimage in flash: no\n")) << r.err;
    double sum = 0;
    for (int i = 0; i < phase_count; ++i) {
        EXPECT_EQ(s.reached[i], i <= c.last_reached) << phase_names[i] << "\n" << r.err;
        if (s.reached[i] && i < c.last_reached) {
            EXPECT_GT(s.phase_s[i], 0) << phase_names[i] << "\n" << r.err;
        }
        sum += s.phase_s[i];
    }
    // Six values printed to the microsecond.
    EXPECT_NEAR(sum, s.total_s, 4e-6) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Runs, PhaseTimes,
    testing::Values(
        phase_case{"full_with_check", {"--", "-m", "zorvan50s", "-c", "1"}, 0, 5},
        phase_case{"without_check", {"--", "-m", "pellox-s"}, 0, 4},
        phase_case{"cable_dead", {"--fault", "tdo-stuck-0", "--", "-m", "zorvan50s"}, 0, 0},
        phase_case{"no_flash_chip", {"--fault", "no-chip", "--", "-m", "zorvan50s"}, 0, 2},
        phase_case{"unknown_chip", {"--chip-id", "1,2,3,4", "--", "-m", "zorvan50s"}, 0, 2},
        phase_case{"sector_stuck", {"--fault", "erase-stuck=3", "--", "-m", "zorvan50s"}, 255, 3},
        phase_case{"word_fails", {"--fault", "program-fail=5", "--", "-m", "quilby90s"}, 255, 4},
        phase_case{"read_back_wrong", {"--fault", "verify-mismatch=7", "--", "-m", "zorvan50c", "-c", "1"}, 0, 5}),
    [](const testing::TestParamInfo<phase_case>& info) { return std::string(info.param.name); });

// What the steps cost follows from what they do on a 1 us port: the two
// 100 ms settling pauses fall in the link tests, the erase waits at least a
// second for each of the 135 sectors, and the download and the read-back
// are port traffic, so halving the clock stretch (-t) shortens them.
TEST(PhaseTimesOnARealPort, FollowTheWorkOfEachStep)
{
    const program_result slow = run_sim({"--port-ns", "1000", "--", "-m", "zorvan50s", "-c", "1", "-t", "4"});
    const program_result fast = run_sim({"--port-ns", "1000", "--", "-m", "zorvan50s", "-c", "1", "-t", "1"});
    ASSERT_EQ(slow.status, 0) << slow.err;
    ASSERT_EQ(fast.status, 0) << fast.err;
    const summary s = read_summary(slow.err);
    const summary f = read_summary(fast.err);
    ASSERT_EQ(s.lines_found, phase_count);
    ASSERT_EQ(f.lines_found, phase_count);

    EXPECT_GE(f.phase_s[0], 0.2);
    EXPECT_LT(f.phase_s[0], 0.3);
    EXPECT_GE(f.phase_s[3], 135.0);
    for (int i : {4, 5}) {
        // -t 4 clocks with 9 accesses, -t 1 with 3: about three times as long.
        const double ratio = s.phase_s[i] / f.phase_s[i];
        EXPECT_GT(ratio, 2.5) << phase_names[i];
        EXPECT_LT(ratio, 3.1) << phase_names[i];
    }
}

} // namespace
