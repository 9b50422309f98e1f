// Cost of the virtual box per port access: the bytes of debug exchanges as
// the tool's bit clock writes them (two writes per half period, one status
// read per clock), played back against the box.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "sim/box.h"
#include "sim/faults.h"

namespace {

constexpr uint16_t read_access = 0x100; // in a recorded stream: one status read
constexpr uint8_t resets_high = 0xE1;
constexpr uint8_t tms = 0x02, tck = 0x04, tdi = 0x08, unused = 0x10;

struct stream {
    std::vector<uint16_t> accesses;
    uint8_t resets = resets_high;
    int half = 2;

    void clock(bool tms_level, bool tdi_level)
    {
        const uint8_t low = static_cast<uint8_t>(resets | unused | (tms_level ? tms : 0) | (tdi_level ? tdi : 0));
        for (int i = 0; i < half; ++i)
            accesses.push_back(low);
        for (int i = 0; i < half; ++i)
            accesses.push_back(low | tck);
        accesses.push_back(read_access);
    }

    // Run-Test/Idle to Run-Test/Idle, with the instruction scan.
    void exchange(uint8_t instruction, uint32_t data, bool final_bit)
    {
        clock(false, false);
        clock(true, false);
        clock(true, false);
        clock(false, false);
        clock(false, false);
        for (int i = 0; i < 7; ++i)
            clock(i == 6, ((instruction >> i) & 1) != 0);
        clock(true, false);
        clock(true, false);
        clock(false, false);
        clock(false, false);
        for (int i = 0; i < 32; ++i)
            clock(false, ((data >> i) & 1) != 0);
        clock(true, final_bit);
        clock(true, false);
        clock(false, false);
    }
};

void play(const std::vector<uint16_t>& accesses)
{
    for (uint16_t a : accesses) {
        if (a == read_access)
            benchmark::DoNotOptimize(sim::box_port_read());
        else
            sim::box_port_write(static_cast<uint8_t>(a));
    }
}

// Reset held low, TAP reset, halt-on-reset control word, reset released, stop.
void halt_core()
{
    stream s;
    s.resets = 0;
    s.accesses.push_back(unused);
    for (int i = 0; i < 64; ++i)
        s.clock(true, false);
    s.exchange(0x2C, 0xB8000000, true);
    s.accesses.push_back(resets_high | unused | tck);
    s.resets = resets_high;
    s.exchange(0x2C, 0x80000000, true);
    play(s.accesses);
}

// What a download does most: a word into the data register, moved by the core.
void bm_exchanges(benchmark::State& state)
{
    sim::faults = sim::fault_set{};
    sim::box_power_on();
    halt_core();
    stream s;
    s.exchange(0x5C, 0x12345678, true);
    s.exchange(0x3C, 0x7C73FAA6, true); // mfspr r3,1011
    s.exchange(0x3C, 0x7C73FBA6, true); // mtspr 1011,r3
    s.exchange(0x5C, 0, false);
    for (auto _ : state)
        play(s.accesses);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * s.accesses.size()));
    state.counters["ns_per_access"] = benchmark::Counter(static_cast<double>(state.iterations() * s.accesses.size()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(bm_exchanges);

// The same with the port log on (to /dev/null): the price of tracing.
void bm_exchanges_logged(benchmark::State& state)
{
    sim::faults = sim::fault_set{};
    sim::box_power_on();
    halt_core();
    sim::box_open_port_log("/dev/null");
    stream s;
    s.exchange(0x5C, 0x12345678, true);
    s.exchange(0x5C, 0, false);
    for (auto _ : state)
        play(s.accesses);
    sim::box_close_traces();
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * s.accesses.size()));
}
BENCHMARK(bm_exchanges_logged);

} // namespace

BENCHMARK_MAIN();
