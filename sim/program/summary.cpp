#include "sim/program/summary.h"

#include <cstdio>

#include "sim/box.h"
#include "sim/clock.h"
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

void print_summary()
{
    const sim::box_stats& s = sim::box_statistics();
    std::fprintf(stderr, "simulated time: %.6f s (the run on a real port)\n", seconds(sim::now_ns()));
    std::fprintf(stderr, "port accesses: %llu (%llu writes, %llu reads, %llu ns each)\n",
        ull(s.port_writes + s.port_reads), ull(s.port_writes), ull(s.port_reads), ull(sim::clock_port_ns()));
    std::fprintf(stderr, "TCK cycles: %llu\n", ull(s.tck_cycles));
    std::fprintf(stderr, "exchanges: %llu\n", ull(s.exchanges));
    std::fprintf(stderr, "sleeps: %llu (%.3f s)\n", ull(s.sleeps), static_cast<double>(s.sleep_ms) / 1e3);
    std::fprintf(stderr, "image in flash: %s\n", image_in_flash() ? "yes" : "no");
}
