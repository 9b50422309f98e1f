// SPDX-License-Identifier: MIT
// A whole programming run with read-back on the virtual box, as a technician
// starts it: wall time here, and what the same run costs on a real port.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "tests/support/run_program.h"

namespace {

// A number that the box's summary prints after label, or -1.
double summary_value(const std::string& summary, const std::string& label)
{
    const size_t at = summary.find(label);
    if (at == std::string::npos)
        return -1;
    return std::strtod(summary.c_str() + at + label.size(), nullptr);
}

void full_run(benchmark::State& state, const char* model)
{
    const std::string flash = "/tmp/vexload-run-bench.flash";
    program_result run;
    for (auto _ : state) {
        std::remove(flash.c_str());
        run = run_program(VEXLOAD_SIM_PATH, {"--flash", flash, "--", "-m", model, "-c", "1"});
    }
    std::remove(flash.c_str());
    if (run.status != 0 || run.out.find("Complete !\n") == std::string::npos) {
        state.SkipWithError("the run did not complete");
        return;
    }
    state.counters["simulated_s"] = summary_value(run.err, "simulated time: ");
    state.counters["port_accesses"] = summary_value(run.err, "port accesses: ");
}

BENCHMARK_CAPTURE(full_run, zorvan50s, "zorvan50s")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(full_run, pellox_max, "pellox-max")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
