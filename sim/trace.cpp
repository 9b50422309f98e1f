// SPDX-License-Identifier: MIT
#include "sim/trace.h"

#include <cstdio>

#include "sim/events.h"

namespace sim {

bool trace_exchanges_on = false;

namespace {

std::vector<exchange_record> exchanges;

constexpr size_t file_buffer_size = 1 << 20;

std::FILE* port_log = nullptr;

std::FILE* vcd = nullptr;
cable_levels vcd_levels{}; // the levels last seen, written or not
uint64_t vcd_stamp = 0;    // the last time stamp written, in timescale units
// The timescale: the largest power of ten (up to 1 ms) that divides the cost
// of a port access, so that a viewer samples the trace no finer than it changes.
uint64_t vcd_unit = 1;
uint64_t vcd_start = 0;    // when the levels of the header hold
bool vcd_header_written = false;

enum class window_state { waiting, recording, done };
window_state vcd_state = window_state::recording;
vcd_bound window_from;
vcd_bound window_until;

// VCD identifiers of the five signals, in the order of cable_levels.
constexpr char vcd_ids[5] = {'!', '"', '#', '$', '%'};
constexpr const char* vcd_names[5] = {"tck", "tms", "tdi", "tdo", "rst"};

bool level(const cable_levels& levels, int i)
{
    const bool in_name_order[5] = {levels.tck, levels.tms, levels.tdi, levels.tdo, levels.rst};
    return in_name_order[i];
}

// A bound is reached once any of its marks was seen, or at its time; an
// unset bound is the start of the run (from) or never (until).
bool reached(const vcd_bound& bound, uint64_t time_ns, bool until)
{
    if (!bound.set)
        return !until;
    if (bound.marks == 0)
        return until ? time_ns > bound.ns : time_ns >= bound.ns;
    uint64_t ignored = 0;
    for (unsigned m = 0; m < milestone_count; ++m)
        if ((bound.marks & (1u << m)) != 0 && milestone_time(static_cast<milestone>(m), ignored))
            return true;
    return false;
}

const char* timescale_name(uint64_t unit)
{
    switch (unit) {
    case 1: return "1ns";
    case 10: return "10ns";
    case 100: return "100ns";
    case 1000: return "1us";
    case 10000: return "10us";
    case 100000: return "100us";
    default: return "1ms";
    }
}

void write_header(uint64_t time_ns)
{
    std::fprintf(vcd, "$version vexload-sim $end\n");
    std::fprintf(vcd, "$comment JTAG cable at the parallel port; %s; rst is the reset group, low = reset asserted $end\n",
        window_from.set ? "the trace starts in the middle of the run" : "the TAP starts in Test-Logic-Reset");
    std::fprintf(vcd, "$timescale %s $end\n$scope module cable $end\n", timescale_name(vcd_unit));
    for (int i = 0; i < 5; ++i)
        std::fprintf(vcd, "$var wire 1 %c %s $end\n", vcd_ids[i], vcd_names[i]);
    vcd_stamp = time_ns / vcd_unit;
    std::fprintf(vcd, "$upscope $end\n$enddefinitions $end\n#%llu\n$dumpvars\n",
        static_cast<unsigned long long>(vcd_stamp));
    for (int i = 0; i < 5; ++i)
        std::fprintf(vcd, "%d%c\n", level(vcd_levels, i) ? 1 : 0, vcd_ids[i]);
    std::fprintf(vcd, "$end\n");
    vcd_header_written = true;
}

std::FILE* open_buffered(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file != nullptr)
        std::setvbuf(file, nullptr, _IOFBF, file_buffer_size);
    return file;
}

bool close_file(std::FILE* file)
{
    if (file == nullptr)
        return true;
    const bool failed = std::ferror(file) != 0;
    return std::fclose(file) == 0 && !failed;
}

} // namespace

void trace_exchanges(bool on)
{
    trace_exchanges_on = on;
    exchanges.clear();
}

void trace_exchange(const exchange_record& record)
{
    exchanges.push_back(record);
}

const std::vector<exchange_record>& traced_exchanges()
{
    return exchanges;
}

bool port_log_open(const std::string& path)
{
    port_log_close();
    port_log = open_buffered(path);
    return port_log != nullptr;
}

bool port_log_active()
{
    return port_log != nullptr;
}

void port_log_write(uint8_t value)
{
    std::fprintf(port_log, "w %02x\n", value);
}

void port_log_read(uint8_t value)
{
    std::fprintf(port_log, "r %02x\n", value);
}

bool port_log_close()
{
    const bool written = close_file(port_log);
    port_log = nullptr;
    return written;
}

bool vcd_open(const std::string& path, uint64_t time_ns, const cable_levels& levels, uint64_t port_ns)
{
    vcd_close();
    vcd = open_buffered(path);
    if (vcd == nullptr)
        return false;
    vcd_unit = 1;
    for (int i = 0; i < 6 && port_ns % (vcd_unit * 10) == 0; ++i)
        vcd_unit *= 10;
    vcd_levels = levels;
    vcd_start = time_ns;
    vcd_header_written = false;
    vcd_state = reached(window_from, time_ns, false) ? window_state::recording : window_state::waiting;
    return true;
}

void vcd_real_time()
{
    if (!vcd_header_written)
        vcd_unit = 1;
}

void vcd_set_window(const vcd_bound& from, const vcd_bound& until)
{
    window_from = from;
    window_until = until;
}

bool vcd_active()
{
    return vcd != nullptr && vcd_state != window_state::done;
}

void vcd_change(uint64_t time_ns, const cable_levels& levels)
{
    if (vcd_state == window_state::waiting) {
        vcd_levels = levels;
        if (reached(window_from, time_ns, false)) {
            vcd_state = window_state::recording;
            write_header(time_ns);
        }
        return;
    }
    if (vcd_state == window_state::done)
        return;
    if (reached(window_until, time_ns, true)) {
        vcd_state = window_state::done;
        return;
    }
    if (!vcd_header_written)
        write_header(vcd_start);
    const uint64_t stamp = time_ns / vcd_unit;
    bool stamped = stamp == vcd_stamp;
    for (int i = 0; i < 5; ++i) {
        const bool now = level(levels, i);
        if (now == level(vcd_levels, i))
            continue;
        if (!stamped) {
            std::fprintf(vcd, "#%llu\n", static_cast<unsigned long long>(stamp));
            vcd_stamp = stamp;
            stamped = true;
        }
        std::fprintf(vcd, "%d%c\n", now ? 1 : 0, vcd_ids[i]);
    }
    vcd_levels = levels;
}

bool vcd_close()
{
    if (vcd != nullptr && !vcd_header_written)
        write_header(vcd_start); // a window never opened: the levels at the start, no change
    const bool written = close_file(vcd);
    vcd = nullptr;
    return written;
}

} // namespace sim
