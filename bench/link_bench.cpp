// SPDX-License-Identifier: MIT
// The tool's own cost per port access: the bit clock and the debug exchange
// over a port that only counts, so that what is measured is the link's code.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>

#include "link/cable.h"
#include "link/debug_exchange.h"
#include "link/port.h"
#include "platform/system.h"

namespace {

uint64_t port_accesses = 0;
uint8_t last_byte = 0;

} // namespace

void port_write(uint8_t value)
{
    last_byte = value;
    ++port_accesses;
}

uint8_t port_read()
{
    ++port_accesses;
    return static_cast<uint8_t>(port_accesses << 7); // TDO alternates, status bit clear on even reads
}

void platform_sleep(uint32_t) {}

void platform_exit(int status)
{
    std::exit(status);
}

namespace {

void report(benchmark::State& state, uint64_t accesses)
{
    // Seconds per access, shown in the unit of the run: ns per port access.
    state.counters["per_access"] =
        benchmark::Counter(static_cast<double>(accesses), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void bm_tap_clock(benchmark::State& state)
{
    clock_delay = static_cast<int32_t>(state.range(0));
    port_accesses = 0;
    int tdo = 0;
    int tms = 0;
    for (auto _ : state) {
        tdo ^= tap_clock(tms, tdo);
        tms ^= 1;
    }
    benchmark::DoNotOptimize(tdo);
    benchmark::DoNotOptimize(last_byte);
    report(state, port_accesses);
}
BENCHMARK(bm_tap_clock)->Arg(1)->Arg(2)->Arg(3);

void bm_dbg_exchange(benchmark::State& state)
{
    clock_delay = static_cast<int32_t>(state.range(0));
    const bool same_instruction = state.range(1) != 0;
    ignore_link_status = 1;
    port_accesses = 0;
    uint32_t data = 0x12345678;
    for (auto _ : state) {
        // Unchanged instruction: 39 clocks; alternating: 51, with the instruction scan.
        data ^= dbg_exchange(dbg_data, data, 1);
        if (!same_instruction)
            data ^= dbg_exchange(dbg_execute, data, 1);
    }
    benchmark::DoNotOptimize(data);
    report(state, port_accesses);
}
BENCHMARK(bm_dbg_exchange)->Args({1, 1})->Args({2, 1})->Args({2, 0})->Args({3, 1});

} // namespace

BENCHMARK_MAIN();
