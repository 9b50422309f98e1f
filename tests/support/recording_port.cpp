// SPDX-License-Identifier: MIT
#include "tests/support/recording_port.h"

#include <cstdio>
#include <cstdlib>

#include "link/port.h"
#include "platform/system.h"

recording_port_log recording_port;

void recording_port_reset()
{
    recording_port = recording_port_log{};
}

void recording_port_script_tdo(const std::vector<int>& tdo_levels)
{
    for (const int level : tdo_levels)
        recording_port.script.push_back(level != 0 ? status_tdo_1 : status_tdo_0);
}

std::vector<tap_edge> recorded_edges()
{
    constexpr uint8_t tms = 0x02;
    constexpr uint8_t tck = 0x04;
    constexpr uint8_t tdi = 0x08;
    std::vector<tap_edge> edges;
    bool tck_high = true; // TCK rests high between clocks
    for (const uint8_t byte : recording_port.writes) {
        const bool high = (byte & tck) != 0;
        if (high && !tck_high)
            edges.push_back({(byte & tms) != 0 ? 1 : 0, (byte & tdi) != 0 ? 1 : 0});
        tck_high = high;
    }
    return edges;
}

void port_write(uint8_t value)
{
    recording_port.writes.push_back(value);
}

uint8_t port_read()
{
    ++recording_port.reads;
    if (recording_port.script.empty())
        return recording_port.status_default;
    const uint8_t value = recording_port.script.front();
    recording_port.script.pop_front();
    return value;
}

void platform_sleep(uint32_t ms)
{
    recording_port.sleeps.push_back(ms);
}

void platform_exit(int status)
{
    // As the real one: what was printed comes out before the exit handlers run.
    std::fflush(stdout);
    std::exit(status);
}
