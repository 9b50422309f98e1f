// SPDX-License-Identifier: MIT
// Traces of the virtual box: the debug exchanges (for tests), a port log
// (one line per access) and a VCD waveform of the cable's signals.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct exchange_record {
    uint8_t instruction;
    uint32_t data_in;  // bits 0-31 shifted in
    uint32_t result;   // bits 0-31 shifted out (as captured)
    bool final_bit;    // bit 32 shifted in
    bool status;       // bit 32 shifted out
};

extern bool trace_exchanges_on;

void trace_exchanges(bool on); // on: starts an empty list
void trace_exchange(const exchange_record& record);
const std::vector<exchange_record>& traced_exchanges();

// Port log lines "w XX" (data register) and "r XX" (status register).
bool port_log_open(const std::string& path);
bool port_log_active();
void port_log_write(uint8_t value);
void port_log_read(uint8_t value);
// false when the log could not be written completely.
bool port_log_close();

// The cable's signals as the PC end sees them.
struct cable_levels {
    bool tck, tms, tdi, tdo, rst; // rst: level of the reset group, 0 = reset asserted
};

// port_ns sets the timescale.
bool vcd_open(const std::string& path, uint64_t time_ns, const cable_levels& levels, uint64_t port_ns);
// Time no longer moves in port costs: the timescale becomes 1 ns unless
// something is written already.
void vcd_real_time();

// Where the waveform starts and ends: once any of the milestones in marks
// (bit 1 << milestone) was seen, or, with no marks, at ns. An unset start is
// the opening of the file, an unset end the closing.
struct vcd_bound {
    bool set = false;
    unsigned marks = 0;
    uint64_t ns = 0;
};
void vcd_set_window(const vcd_bound& from, const vcd_bound& until);

// Open and not past the end of its window.
bool vcd_active();
void vcd_change(uint64_t time_ns, const cable_levels& levels);
bool vcd_close();

} // namespace sim
