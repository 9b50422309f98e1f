// SPDX-License-Identifier: MIT
#include "sim/program/box_options.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "common/long_options.h"
#include "sim/faults.h"
#include "sim/flash_chips.h"
#include "sim/listed_names.h"
#include "sim/program/phases.h"

namespace {

// One second per access: simulated time stays in 64-bit nanoseconds for any
// run that ends in real time (it would wrap, and the flash timing with it).
constexpr uint64_t max_port_ns = 1'000'000'000;
// Far beyond any chip's worst case, and a whole-chip erase at the bound still
// fits simulated time many times over.
constexpr uint64_t max_sector_erase_ms = 1'000'000;
constexpr uint64_t max_word_program_us = 1'000'000;

// The box's options that a served box has no use for.
constexpr std::string_view run_only[] = {
    box_option_name::max_sim_seconds, box_option_name::winio, box_option_name::strict_status};

// A point of the waveform: a phase's word or a simulated time.
option_value run_point_value(run_point& point)
{
    return {std::string("a phase (") + phase_words() + ") or " + seconds_range, [&point](const std::string& value) {
                point.given = true;
                point.phase = phase_by_word(value);
                return point.phase >= 0 || read_seconds(value, point.ns);
            }};
}

std::string winio_help()
{
    return sim::listed_names(winio_words, [](const winio_word& w) { return std::string(w.word) + w.note; });
}

option_value winio_value(box_options& o)
{
    std::vector<std::string> words;
    for (const winio_word& w : winio_words)
        words.emplace_back(w.word);
    return one_of(words, [&o](size_t i) { o.winio = winio_words[i].presence; });
}

// The rows of the box's options, in the order of box_option_names.
void add_box_options(option_table& table, box_options& o)
{
    using namespace box_option_name;
    auto add = [&table](const char* name, const char* value_name, std::string help, option_value value) {
        table.rows.push_back({name, value_name, std::move(help), std::move(value)});
    };
    add(chip, "NAME",
        "the flash chip fitted: " + sim::flash_chip_names() + " (default " + sim::flash_default_chip + ")",
        any_text([&o](const std::string& v) {
            o.chip = v;
            o.chip_given = true;
            o.chip_id_given = false;
        }));
    add(chip_id, "M,D,E,F", "a top-boot chip answering these autoselect codes (hex)",
        hex_codes(4, "MFR,DEV,W0E,W0F", [&o](const std::vector<uint16_t>& codes) {
            std::copy(codes.begin(), codes.end(), o.chip_id);
            o.chip_id_given = true;
            o.chip_given = false;
        }));
    add(fault, "NAME[=N]",
        "inject a fault (repeatable; N counts port accesses for cable-pull and exchanges from 0 for "
        "status-error and box-reset, K is a sector, I a programmed word from 0): " +
            sim::fault_list(),
        any_text([&o](const std::string& v) { o.faults.push_back(v); }));
    add(flash, "FILE",
        "the chip's 8 MiB array, 16-bit words low byte first; loaded when the file exists (an erased chip "
        "otherwise) and saved when the run ends",
        any_text([&o](const std::string& v) { o.flash_path = v; }));
    add(vcd, "FILE", "waveform of tck, tms, tdi, tdo, rst on simulated time",
        any_text([&o](const std::string& v) { o.vcd_path = v; }));
    add(vcd_from, "PHASE|S", "the waveform starts at this phase or simulated second; phases: " + phase_words(),
        run_point_value(o.vcd_from));
    add(vcd_until, "PHASE|S", "the waveform ends with this phase or at this second", run_point_value(o.vcd_until));
    add(port_log, "FILE", "one line per port access: \"w XX\" or \"r XX\"",
        any_text([&o](const std::string& v) { o.port_log_path = v; }));
    // At 0 simulated time would stand still: no chip operation would ever
    // finish and no time limit could end the run.
    add(port_ns, "N", "cost of one port access in ns (default 1000)",
        whole_number("a whole number of nanoseconds", 1, max_port_ns, [&o](uint64_t n) { o.port_ns = n; }));
    add(max_sim_seconds, "S", "stop once simulated time passes S seconds", seconds([&o](uint64_t ns) {
        o.time_limit_ns = ns;
        o.time_limit_given = true;
    }));
    // 0: the erase ends with the chip's window for further sectors, so that a
    // client that polls once before it sleeps finds every sector done.
    add(sector_erase_ms, "N", "time of one sector erase in ms (default 700, typical)",
        whole_number("a whole number of milliseconds", 0, max_sector_erase_ms,
            [&o](uint64_t ms) { o.sector_erase_ns = ms * 1'000'000; }));
    add(word_program_us, "N", "time of one word program in us (default 10, typical)",
        whole_number("a whole number of microseconds", 0, max_word_program_us,
            [&o](uint64_t us) { o.word_program_ns = us * 1'000; }));
    add(tap_reset_releases_stop, nullptr,
        "Test-Logic-Reset lets a stopped core run: the words it is given fail and its code overwrites its "
        "registers until a control word stops it again",
        flag(o.tap_reset_releases_stop));
    add(winio, "MODE", "the PC's WinIo.dll: " + winio_help(), winio_value(o));
    add(strict_status, nullptr,
        "exit status 1 for a run that did not program the image although vexload's status is 0",
        flag(o.strict_status));
    add(serve, "PORT",
        "no run: serve the box on 127.0.0.1:PORT to a JTAG client speaking remote_bitbang, one at a time, "
        "until interrupted (0: any free port); the box keeps real time then",
        whole_number("a TCP port number", 0, 65535, [&o](uint64_t port) { o.serve_port = static_cast<int>(port); }));
}

option_table sim_table(box_options& o)
{
    option_table table{"vexload-sim", {}};
    add_box_options(table, o);
    add_version_and_help(table, o.version, o.help);
    return table;
}

// The two ends of the waveform in the order of a run, where both are phases
// or both are times.
bool window_in_order(const run_point& from, const run_point& until)
{
    if (!from.given || !until.given || (from.phase < 0) != (until.phase < 0))
        return true;
    return from.phase >= 0 ? from.phase <= until.phase : from.ns <= until.ns;
}

bool check_together(const box_options& o, const options_read& read, int argc, char* const argv[],
    std::string& error)
{
    if (o.serve_port >= 0) {
        for (const char* given : read.given)
            for (std::string_view name : run_only)
                if (name == given) {
                    error = std::string(given) + " does not apply to --serve";
                    return false;
                }
        if (read.tool_arguments < argc) {
            error = "vexload options do not apply to --serve: '" + std::string(argv[read.tool_arguments]) + "'";
            return false;
        }
    }
    if ((o.vcd_from.given || o.vcd_until.given) && o.vcd_path.empty()) {
        error = "--vcd-from and --vcd-until need --vcd";
        return false;
    }
    if (!window_in_order(o.vcd_from, o.vcd_until)) {
        error = "--vcd-until comes before --vcd-from";
        return false;
    }
    return true;
}

} // namespace

bool parse_box_options(int argc, char* const argv[], box_options& options, std::string& error)
{
    options_read read;
    if (!read_long_options(argc, argv, sim_table(options), read, error))
        return false;
    options.tool_arguments = read.tool_arguments;
    return check_together(options, read, argc, argv, error);
}

void print_box_help()
{
    std::printf(
        "Usage: vexload-sim [box options] [--] [vexload options]\n"
        "Runs vexload against the virtual box and prints what vexload prints; a\n"
        "summary of the run follows on standard error.\n"
        "\n"
        "Box options (they end at \"--\" or at the first word not starting with \"--\"):\n");
    box_options unused;
    print_option_help(sim_table(unused));
    std::printf(
        "\n"
        "Exit status: vexload's own (0, or 255 after a link or program failure);\n"
        "1 when --serve cannot listen, and with --strict-status for a run that\n"
        "did not program the image; 2 for a bad box option, a flash file that\n"
        "cannot be used or one in use by another run; 3 when the flash file or a\n"
        "trace could not be written; 124 when --max-sim-seconds stopped the run;\n"
        "130, 143, 141 after SIGINT, SIGTERM, SIGPIPE (the flash saved as it\n"
        "stood).\n");
}
