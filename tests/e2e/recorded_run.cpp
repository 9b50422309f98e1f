// SPDX-License-Identifier: MIT
#include "tests/e2e/recorded_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/programming.h"
#include "sim/box.h"
#include "sim/faults.h"
#include "sim/flash.h"
#include "sim/tap.h"
#include "tests/support/halted_box.h"

namespace {

recorded_run record()
{
    sim::faults = sim::fault_set{};
    EXPECT_TRUE(sim::flash_select_chip("MX29LV640MT"));
    power_on_box_and_link();
    sim::events_clear();
    sim::events_record(true);
    sim::box_trace_exchanges(true);
    placeholder_images_allowed = true; // as vexload-sim runs
    testing::internal::CaptureStdout();
    run_programming(0, true);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Complete !\n"), std::string::npos) << out;

    recorded_run run;
    run.events = sim::events();
    const std::vector<sim::exchange_record>& exchanges = sim::box_exchanges();
    run.exchange_count = static_cast<int64_t>(exchanges.size());
    while (run.halt_exchanges < run.exchange_count &&
           sim::tap_register_of(exchanges[static_cast<size_t>(run.halt_exchanges)].instruction) ==
               sim::tap_register::debug_control)
        ++run.halt_exchanges;
    sim::events_record(false);
    sim::events_clear();
    sim::box_trace_exchanges(false);
    return run;
}

// The file is for this build's test processes only: raw, in this machine's byte order.
bool load(const char* path, recorded_run& run)
{
    std::ifstream in(path, std::ios::binary);
    uint64_t count = 0;
    in.read(reinterpret_cast<char*>(&run.halt_exchanges), sizeof run.halt_exchanges);
    in.read(reinterpret_cast<char*>(&run.exchange_count), sizeof run.exchange_count);
    in.read(reinterpret_cast<char*>(&count), sizeof count);
    if (!in || count > (uint64_t{1} << 24))
        return false;
    run.events.resize(count);
    in.read(reinterpret_cast<char*>(run.events.data()), static_cast<std::streamsize>(count * sizeof(sim::event)));
    return static_cast<bool>(in);
}

recorded_run load_or_record()
{
    recorded_run run;
    const char* path = std::getenv("VEXLOAD_RECORDED_RUN");
    if (path != nullptr && load(path, run))
        return run;
    return record();
}

} // namespace

const recorded_run& zorvan50s_run()
{
    static const recorded_run run = load_or_record();
    return run;
}

bool save_zorvan50s_run(const std::string& path)
{
    const recorded_run run = record();
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        const uint64_t count = run.events.size();
        out.write(reinterpret_cast<const char*>(&run.halt_exchanges), sizeof run.halt_exchanges);
        out.write(reinterpret_cast<const char*>(&run.exchange_count), sizeof run.exchange_count);
        out.write(reinterpret_cast<const char*>(&count), sizeof count);
        out.write(reinterpret_cast<const char*>(run.events.data()),
                  static_cast<std::streamsize>(count * sizeof(sim::event)));
        if (!out)
            return false;
    }
    std::remove(path.c_str());
    return std::rename(partial.c_str(), path.c_str()) == 0;
}

int64_t exchange_of(const recorded_run& run, sim::event_kind kind, int64_t n, uint32_t from, uint32_t to)
{
    for (const sim::event& e : run.events)
        if (e.kind == kind && e.number >= from && e.number < to && n-- == 0)
            return static_cast<int64_t>(e.exchange);
    return -1;
}
