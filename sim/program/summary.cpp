// SPDX-License-Identifier: MIT
#include "sim/program/summary.h"

#include <cstdio>

#include "sim/box.h"
#include "sim/clock.h"
#include "sim/events.h"
#include "sim/program/image_check.h"

namespace {

double seconds(uint64_t ns)
{
    return static_cast<double>(ns) / 1e9;
}

unsigned long long ull(uint64_t value)
{
    return static_cast<unsigned long long>(value);
}

} // namespace

void run_phases(run_phase (&phases)[run_phase_count], uint64_t since_ns)
{
    const uint64_t end = sim::now_ns();
    bool seen[run_phase_count];
    uint64_t start[run_phase_count];
    for (int i = 0; i < run_phase_count; ++i) {
        seen[i] = phase_starts[i].at_power_on;
        start[i] = since_ns;
        if (!seen[i])
            seen[i] = sim::milestone_time(phase_starts[i].mark, start[i]);
    }
    for (int i = 0; i < run_phase_count; ++i) {
        uint64_t stop = end;
        for (int j = i + 1; j < run_phase_count; ++j)
            if (seen[j]) {
                stop = start[j];
                break;
            }
        phases[i].name = phase_starts[i].name;
        phases[i].reached = seen[i];
        // Marks out of their usual order (a step skipped and come back to)
        // give that step no time rather than a wrapped one.
        phases[i].ns = seen[i] && stop > start[i] ? stop - start[i] : 0;
    }
}

summary_start summary_starting_now()
{
    sim::milestones_clear();
    return summary_start{sim::now_ns(), sim::box_statistics()};
}

void print_summary(const summary_start& from)
{
    const sim::box_stats& now = sim::box_statistics();
    const sim::box_stats& was = from.stats;
    const uint64_t writes = now.port_writes - was.port_writes;
    const uint64_t reads = now.port_reads - was.port_reads;
    std::fprintf(stderr, "simulated time: %.6f s (the run on a real port)\n", seconds(sim::now_ns() - from.ns));
    std::fprintf(stderr, "port accesses: %llu (%llu writes, %llu reads, %llu ns each)\n", ull(writes + reads),
        ull(writes), ull(reads), ull(sim::clock_port_ns()));
    std::fprintf(stderr, "TCK cycles: %llu\n", ull(now.tck_cycles - was.tck_cycles));
    std::fprintf(stderr, "exchanges: %llu\n", ull(now.exchanges - was.exchanges));
    std::fprintf(stderr, "sleeps: %llu (%.3f s)\n", ull(now.sleeps - was.sleeps),
        static_cast<double>(now.sleep_ms - was.sleep_ms) / 1e3);
    run_phase phases[run_phase_count];
    run_phases(phases, from.ns);
    for (const run_phase& p : phases) {
        if (p.reached)
            std::fprintf(stderr, "phase %s: %.6f s\n", p.name, seconds(p.ns));
        else
            std::fprintf(stderr, "phase %s: not reached\n", p.name);
    }
    std::fprintf(stderr, "image in flash: %s\n", image_in_flash() ? "yes" : "no");
}
