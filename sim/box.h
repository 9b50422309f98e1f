// The virtual box as a whole: cable, TAP, debug unit, core, bus, flash, clock.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

struct box_stats {
    uint64_t port_writes = 0;
    uint64_t port_reads = 0;
    uint64_t tck_cycles = 0;
    uint64_t exchanges = 0; // Update-DR of a debug instruction
    uint64_t sleeps = 0;
    uint64_t sleep_ms = 0;
};

// Powers the box on: every part in its reset state, time 0, faults kept.
void box_power_on();

// Cost of one port access in nanoseconds (1000 by default: an ISA-bus port).
void box_set_port_ns(uint64_t ns);

// The two port accesses and the pause, as the cable and the PC see them.
void box_port_write(uint8_t value);
uint8_t box_port_read();
void box_sleep(uint32_t ms);

const box_stats& box_statistics();

// Traces; an empty name turns a trace off. false when the file cannot be opened.
bool box_open_vcd(const std::string& path);
bool box_open_port_log(const std::string& path);
void box_close_traces();

} // namespace sim
