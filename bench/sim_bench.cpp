// SPDX-License-Identifier: MIT
// Cost of the virtual box per port access, driven by the tool's own link: the
// bit clock and the debug exchange over the box's port, as vexload-sim runs
// them. The link's own share is what link_bench measures.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "link/debug_exchange.h"
#include "sim/box.h"
#include "sim/faults.h"
#include "target/instruction_words.h"
#include "tests/support/halted_box.h"

namespace {

// A sound box with the core halted, as a run has it after its first step.
void halted_box()
{
    sim::faults = sim::fault_set{};
    power_on_and_halt();
}

// What a download does most: a word into the data register, moved by the core.
void move_a_word()
{
    dbg_exchange(dbg_data, 0x12345678, 1);
    dbg_exchange(dbg_execute, mfspr_from_ddr(3), 1);
    dbg_exchange(dbg_execute, mtspr_to_ddr(3), 1);
    benchmark::DoNotOptimize(dbg_exchange(dbg_data, 0, 0));
}

void count_accesses(benchmark::State& state, uint64_t before)
{
    const sim::box_stats& s = sim::box_statistics();
    const auto accesses = static_cast<double>(s.port_writes + s.port_reads - before);
    state.SetItemsProcessed(static_cast<int64_t>(accesses));
    state.counters["ns_per_access"] =
        benchmark::Counter(accesses, benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

void bm_exchanges(benchmark::State& state)
{
    halted_box();
    const uint64_t before = sim::box_statistics().port_writes + sim::box_statistics().port_reads;
    for (auto _ : state)
        move_a_word();
    count_accesses(state, before);
}
BENCHMARK(bm_exchanges);

// The same with the port log on (to /dev/null): the price of tracing.
void bm_exchanges_logged(benchmark::State& state)
{
    halted_box();
    sim::box_open_port_log("/dev/null");
    const uint64_t before = sim::box_statistics().port_writes + sim::box_statistics().port_reads;
    for (auto _ : state)
        move_a_word();
    count_accesses(state, before);
    sim::box_close_traces();
}
BENCHMARK(bm_exchanges_logged);

} // namespace

BENCHMARK_MAIN();
