// SPDX-License-Identifier: MIT
// The port seam of the link's unit tests: every byte written to the data
// register is logged, status reads are answered from a script and then from a
// default, and the pause and the end of the process are recorded or real.
// Link it (the vexload_recording_port object library) instead of a real port.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

// Status bytes for a TDO level (bit 7 carries TDO inverted).
constexpr uint8_t status_tdo_0 = 0x80;
constexpr uint8_t status_tdo_1 = 0x00;

struct recording_port_log {
    std::vector<uint8_t> writes;      // every byte written, in order
    uint64_t reads = 0;               // status-register reads
    std::deque<uint8_t> script;       // answers to the next reads, in order
    uint8_t status_default = status_tdo_0; // answer once the script is used up
    std::vector<uint32_t> sleeps;     // platform_sleep arguments, in order

    uint64_t accesses() const { return writes.size() + reads; }
};

extern recording_port_log recording_port;

// Empty log, empty script, default status TDO 0.
void recording_port_reset();

// The next reads give these TDO levels, one per clock.
void recording_port_script_tdo(const std::vector<int>& tdo_levels);

// One TCK period as the target sees it: the levels at the rising edge.
struct tap_edge {
    int tms;
    int tdi;
    bool operator==(const tap_edge&) const = default;
};

// The rising edges of TCK in the logged bytes (a write with TCK high after one
// with TCK low); repeated bytes of one half period count once.
std::vector<tap_edge> recorded_edges();
