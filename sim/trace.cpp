// SPDX-License-Identifier: MIT
#include "sim/trace.h"

#include <cstdio>

namespace sim {

bool trace_exchanges_on = false;

namespace {

std::vector<exchange_record> exchanges;

constexpr size_t file_buffer_size = 1 << 20;

std::FILE* port_log = nullptr;

std::FILE* vcd = nullptr;
cable_levels vcd_levels{};
uint64_t vcd_time = 0;

// VCD identifiers of the five signals, in the order of cable_levels.
constexpr char vcd_ids[5] = {'!', '"', '#', '$', '%'};
constexpr const char* vcd_names[5] = {"tck", "tms", "tdi", "tdo", "rst"};

bool level(const cable_levels& levels, int i)
{
    switch (i) {
    case 0:
        return levels.tck;
    case 1:
        return levels.tms;
    case 2:
        return levels.tdi;
    case 3:
        return levels.tdo;
    default:
        return levels.rst;
    }
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

bool vcd_open(const std::string& path, uint64_t time_ns, const cable_levels& levels)
{
    vcd_close();
    vcd = open_buffered(path);
    if (vcd == nullptr)
        return false;
    std::fprintf(vcd, "$version vexload-sim $end\n");
    std::fprintf(vcd, "$comment JTAG cable at the parallel port; the TAP starts in Test-Logic-Reset; "
                      "rst is the reset group, low = reset asserted $end\n");
    std::fprintf(vcd, "$timescale 1ns $end\n$scope module cable $end\n");
    for (int i = 0; i < 5; ++i)
        std::fprintf(vcd, "$var wire 1 %c %s $end\n", vcd_ids[i], vcd_names[i]);
    std::fprintf(vcd, "$upscope $end\n$enddefinitions $end\n#%llu\n$dumpvars\n", static_cast<unsigned long long>(time_ns));
    for (int i = 0; i < 5; ++i)
        std::fprintf(vcd, "%d%c\n", level(levels, i) ? 1 : 0, vcd_ids[i]);
    std::fprintf(vcd, "$end\n");
    vcd_levels = levels;
    vcd_time = time_ns;
    return true;
}

bool vcd_active()
{
    return vcd != nullptr;
}

void vcd_change(uint64_t time_ns, const cable_levels& levels)
{
    bool stamped = time_ns == vcd_time;
    for (int i = 0; i < 5; ++i) {
        const bool now = level(levels, i);
        if (now == level(vcd_levels, i))
            continue;
        if (!stamped) {
            std::fprintf(vcd, "#%llu\n", static_cast<unsigned long long>(time_ns));
            vcd_time = time_ns;
            stamped = true;
        }
        std::fprintf(vcd, "%d%c\n", now ? 1 : 0, vcd_ids[i]);
    }
    vcd_levels = levels;
}

bool vcd_close()
{
    const bool written = close_file(vcd);
    vcd = nullptr;
    return written;
}

} // namespace sim
