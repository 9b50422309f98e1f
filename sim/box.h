// SPDX-License-Identifier: MIT
// The virtual box as a whole: cable, TAP, debug unit, core, bus, flash, clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/trace.h"

namespace sim {

struct box_stats {
    uint64_t port_writes = 0;
    uint64_t port_reads = 0;
    uint64_t tck_cycles = 0; // rising TCK edges the TAP saw
    uint64_t exchanges = 0;  // Update-DR of a debug instruction
    uint64_t sleeps = 0;
    uint64_t sleep_ms = 0;
};

// Powers the box on: every part in its reset state, time 0, faults kept and
// read from here on (set faults before powering on). The data register of the
// port reads 0 at power-on, so the reset group holds the box in reset until
// the PC raises it.
void box_power_on();

// The box's reset wiring: a system reset (the debug unit's reset request, a
// brown-out) resets the core, its bus and the flash chip's state machine.
void box_system_reset();

// Cost of one port access in nanoseconds (1000 by default: an ISA-bus port).
void box_set_port_ns(uint64_t ns);

// The box keeps real time from now on, as a box on a bench does for a client
// that sleeps for real, until the next power-on; without this, time is
// simulated.
void box_use_real_time();

// The two port accesses and the pause, as the cable and the PC see them.
void box_port_write(uint8_t value);
uint8_t box_port_read();
void box_sleep(uint32_t ms);

const box_stats& box_statistics();

// Traces; an empty name turns a trace off. false when the file cannot be opened.
bool box_open_vcd(const std::string& path);
bool box_open_port_log(const std::string& path);
// The part of the run the waveform keeps (set before opening it).
void box_set_vcd_window(const vcd_bound& from, const vcd_bound& until);
// false when a trace could not be written completely.
bool box_close_traces();

// The list of debug exchanges, for tests; turning it on starts an empty list.
void box_trace_exchanges(bool on);
const std::vector<exchange_record>& box_exchanges();

// Once simulated time passes limit_ns, the next port access or pause calls
// on_limit first (once); on_limit nullptr removes the limit.
void box_set_time_limit(uint64_t limit_ns, void (*on_limit)());
bool box_time_limit_passed();

// Safe in a signal handler: the next port access or pause calls the stop
// handler with signal (once), before the time limit. The port path pays
// nothing until then. Power-on forgets a request.
void box_request_stop(int signal);
void box_set_stop_handler(void (*on_stop)(int signal));

// What the sim build of platform_exit calls before the process ends (the
// program's summary and saving); nullptr: none.
void box_set_exit_hook(void (*hook)(int status));
void (*box_exit_hook())(int status);

} // namespace sim
