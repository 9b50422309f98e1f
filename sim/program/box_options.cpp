// SPDX-License-Identifier: MIT
#include "sim/program/box_options.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr double max_seconds = 1.0e10; // keeps the limit in 64-bit nanoseconds
// One second per access: simulated time stays in 64-bit nanoseconds for any
// run that ends in real time (it would wrap, and the flash timing with it).
constexpr uint64_t max_port_ns = 1'000'000'000;
// Far beyond any chip's worst case, and a whole-chip erase at the bound still
// fits simulated time many times over.
constexpr uint64_t max_sector_erase_ms = 1'000'000;
constexpr uint64_t max_word_program_us = 1'000'000;

bool parse_unsigned(const std::string& text, uint64_t& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, code] = std::from_chars(first, last, value);
    return !text.empty() && code == std::errc() && end == last;
}

bool parse_seconds(const std::string& text, uint64_t& ns)
{
    double seconds = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, code] = std::from_chars(first, last, seconds);
    if (text.empty() || code != std::errc() || end != last || !std::isfinite(seconds) || seconds < 0 ||
        seconds > max_seconds)
        return false;
    ns = static_cast<uint64_t>(std::llround(seconds * 1e9));
    return true;
}

bool parse_hex16(std::string text, uint16_t& value)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.erase(0, 2);
    unsigned parsed = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, code] = std::from_chars(first, last, parsed, 16);
    if (text.empty() || code != std::errc() || end != last || parsed > 0xFFFF)
        return false;
    value = static_cast<uint16_t>(parsed);
    return true;
}

bool parse_chip_id(const std::string& text, uint16_t (&id)[4])
{
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = text.find(',', start);
        const bool last = i == 3;
        if (last != (comma == std::string::npos))
            return false;
        const std::string field = text.substr(start, last ? std::string::npos : comma - start);
        if (!parse_hex16(field, id[i]))
            return false;
        start = comma + 1;
    }
    return true;
}

// The options that take a value, by name.
const char* const valued[] = {"--chip", "--chip-id", "--fault", "--flash", "--vcd", "--port-log", "--port-ns",
    "--max-sim-seconds", "--serve", "--winio", "--sector-erase-ms", "--word-program-us"};

bool takes_value(const std::string& name)
{
    for (const char* v : valued)
        if (name == v)
            return true;
    return false;
}

bool apply(box_options& o, const std::string& name, const std::string& value, std::string& error)
{
    if (name == "--chip") {
        o.chip = value;
        o.chip_given = true;
        o.chip_id_given = false;
    } else if (name == "--chip-id") {
        if (!parse_chip_id(value, o.chip_id)) {
            error = "--chip-id wants four hexadecimal 16-bit codes MFR,DEV,W0E,W0F, not '" + value + "'";
            return false;
        }
        o.chip_id_given = true;
        o.chip_given = false;
    } else if (name == "--fault") {
        o.faults.push_back(value);
    } else if (name == "--flash") {
        o.flash_path = value;
    } else if (name == "--vcd") {
        o.vcd_path = value;
    } else if (name == "--port-log") {
        o.port_log_path = value;
    } else if (name == "--port-ns") {
        // At 0 simulated time stands still: no chip operation would ever finish
        // and no time limit could end the run.
        if (!parse_unsigned(value, o.port_ns) || o.port_ns == 0 || o.port_ns > max_port_ns) {
            error = "--port-ns wants a whole number of nanoseconds from 1 to 1000000000, not '" + value + "'";
            return false;
        }
    } else if (name == "--sector-erase-ms") {
        // An erase of no time at all is no chip's, and hides the tool's polling.
        uint64_t ms = 0;
        if (!parse_unsigned(value, ms) || ms == 0 || ms > max_sector_erase_ms) {
            error = "--sector-erase-ms wants a whole number of milliseconds from 1 to 1000000, not '" + value + "'";
            return false;
        }
        o.sector_erase_ns = ms * 1'000'000;
    } else if (name == "--word-program-us") {
        uint64_t us = 0;
        if (!parse_unsigned(value, us) || us == 0 || us > max_word_program_us) {
            error = "--word-program-us wants a whole number of microseconds from 1 to 1000000, not '" + value + "'";
            return false;
        }
        o.word_program_ns = us * 1'000;
    } else if (name == "--max-sim-seconds") {
        if (!parse_seconds(value, o.time_limit_ns)) {
            error = "--max-sim-seconds wants a number of seconds from 0 to 1e10, not '" + value + "'";
            return false;
        }
        o.time_limit_given = true;
    } else if (name == "--winio") {
        if (value != "present" && value != "absent" && value != "incomplete" && value != "init-fails") {
            error = "--winio wants present, absent, incomplete or init-fails, not '" + value + "'";
            return false;
        }
        o.winio = value;
    } else if (name == "--serve") {
        uint64_t port = 0;
        if (!parse_unsigned(value, port) || port > 65535) {
            error = "--serve wants a TCP port number from 0 to 65535, not '" + value + "'";
            return false;
        }
        o.serve_port = static_cast<int>(port);
    }
    return true;
}

} // namespace

bool parse_box_options(int argc, char* const argv[], box_options& options, std::string& error)
{
    int i = 1;
    while (i < argc) {
        const std::string word = argv[i];
        if (word == "--") {
            ++i;
            break;
        }
        if (word == "--help") {
            options.help = true;
            ++i;
            continue;
        }
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        if (!takes_value(name))
            break;
        std::string value;
        if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else {
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (!apply(options, name, value, error))
            return false;
        ++i;
    }
    options.tool_arguments = i;
    return true;
}

void print_box_help()
{
    std::printf(
        "Usage: vexload-sim [box options] [--] [vexload options]\n"
        "Runs vexload against the virtual box and prints what vexload prints; a\n"
        "summary of the run follows on standard error.\n"
        "\n"
        "Box options (they end at \"--\" or at the first word that is not one):\n"
        "  --chip NAME             flash chip: S29GL064M, M29W640DT, EN29LV640B,\n"
        "                          MX29LV640MT (default), MX29LV640BT\n"
        "  --chip-id M,D,E,F       a top-boot chip answering these autoselect codes (hex)\n"
        "  --fault NAME[=N]        inject a fault (repeatable): tdo-stuck-0, tdo-stuck-1,\n"
        "                          cable-pull=N, slow-target=N, no-execute, bad-adder,\n"
        "                          never-halted, status-error=N, box-reset=N, no-chip,\n"
        "                          erase-stuck=K, program-fail=I, slow-program=I,\n"
        "                          verify-mismatch=I (N counts port accesses for\n"
        "                          cable-pull, exchanges from 0 for status-error and\n"
        "                          box-reset; K a sector; I programmed words from 0)\n"
        "  --flash FILE            the chip's 8 MiB array, 16-bit words low byte first;\n"
        "                          loaded when the file exists (an erased chip otherwise)\n"
        "                          and saved when the run ends\n"
        "  --vcd FILE              waveform of tck, tms, tdi, tdo, rst on simulated time\n"
        "  --port-log FILE         one line per port access: \"w XX\" or \"r XX\"\n"
        "  --port-ns N             cost of one port access in ns (default 1000)\n"
        "  --max-sim-seconds N     stop once simulated time passes N seconds\n"
        "  --sector-erase-ms N     time of one sector erase in ms (default 700, typical)\n"
        "  --word-program-us N     time of one word program in us (default 10, typical)\n"
        "  --winio MODE            the PC's WinIo.dll: present (default), absent,\n"
        "                          incomplete (no SetPhysLong), init-fails\n"
        "  --serve PORT            no run: serve the box on 127.0.0.1:PORT to a JTAG\n"
        "                          client speaking remote_bitbang, one at a time,\n"
        "                          until interrupted (0: any free port); the box keeps\n"
        "                          real time then\n"
        "  --help                  this text\n"
        "\n"
        "Exit status: vexload's own (0, or 255 after a link or program failure);\n"
        "2 for a bad box option or flash file; 3 when the flash file or a trace\n"
        "could not be written; 124 when --max-sim-seconds stopped the run.\n");
}
