// SPDX-License-Identifier: MIT
#include "sim/program/box_options.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

#include "sim/faults.h"
#include "sim/flash_chips.h"
#include "sim/listed_names.h"
#include "sim/program/phases.h"

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

using setter = bool (*)(box_options&, const std::string& value, std::string& error);

bool set_chip(box_options& o, const std::string& value, std::string&)
{
    o.chip = value;
    o.chip_given = true;
    o.chip_id_given = false;
    return true;
}

bool set_chip_id(box_options& o, const std::string& value, std::string& error)
{
    if (!parse_chip_id(value, o.chip_id)) {
        error = "--chip-id wants four hexadecimal 16-bit codes MFR,DEV,W0E,W0F, not '" + value + "'";
        return false;
    }
    o.chip_id_given = true;
    o.chip_given = false;
    return true;
}

bool set_fault(box_options& o, const std::string& value, std::string&)
{
    o.faults.push_back(value);
    return true;
}

bool set_flash(box_options& o, const std::string& value, std::string&)
{
    o.flash_path = value;
    return true;
}

bool set_vcd(box_options& o, const std::string& value, std::string&)
{
    o.vcd_path = value;
    return true;
}

bool set_point(run_point& point, const char* name, const std::string& value, std::string& error)
{
    point.given = true;
    point.phase = phase_by_word(value);
    if (point.phase >= 0 || parse_seconds(value, point.ns))
        return true;
    error = std::string(name) + " wants a phase (" + phase_words() + ") or seconds from 0 to 1e10, not '" +
            value + "'";
    return false;
}

bool set_vcd_from(box_options& o, const std::string& value, std::string& error)
{
    return set_point(o.vcd_from, box_option_name::vcd_from, value, error);
}

bool set_vcd_until(box_options& o, const std::string& value, std::string& error)
{
    return set_point(o.vcd_until, box_option_name::vcd_until, value, error);
}

bool set_port_log(box_options& o, const std::string& value, std::string&)
{
    o.port_log_path = value;
    return true;
}

bool set_port_ns(box_options& o, const std::string& value, std::string& error)
{
    // At 0 simulated time stands still: no chip operation would ever finish
    // and no time limit could end the run.
    if (!parse_unsigned(value, o.port_ns) || o.port_ns == 0 || o.port_ns > max_port_ns) {
        error = "--port-ns wants a whole number of nanoseconds from 1 to 1000000000, not '" + value + "'";
        return false;
    }
    return true;
}

// A chip time given in whole units from 0 to max, kept in nanoseconds.
bool set_chip_time(uint64_t& ns, const std::string& value, uint64_t max, uint64_t unit_ns, const char* option,
                   const char* units, std::string& error)
{
    uint64_t count = 0;
    if (!parse_unsigned(value, count) || count > max) {
        error = std::string(option) + " wants a whole number of " + units + " from 0 to " + std::to_string(max) +
                ", not '" + value + "'";
        return false;
    }
    ns = count * unit_ns;
    return true;
}

bool set_sector_erase(box_options& o, const std::string& value, std::string& error)
{
    // 0: the erase ends with the chip's window for further sectors, so that a
    // client that polls once before it sleeps finds every sector done.
    return set_chip_time(o.sector_erase_ns, value, max_sector_erase_ms, 1'000'000, "--sector-erase-ms",
                         "milliseconds", error);
}

bool set_word_program(box_options& o, const std::string& value, std::string& error)
{
    return set_chip_time(o.word_program_ns, value, max_word_program_us, 1'000, "--word-program-us", "microseconds",
                         error);
}

bool set_time_limit(box_options& o, const std::string& value, std::string& error)
{
    if (!parse_seconds(value, o.time_limit_ns)) {
        error = "--max-sim-seconds wants a number of seconds from 0 to 1e10, not '" + value + "'";
        return false;
    }
    o.time_limit_given = true;
    return true;
}

// "a, b, c or d"
std::string winio_choices()
{
    std::string text;
    const size_t count = std::size(winio_words);
    for (size_t i = 0; i < count; ++i)
        text += std::string(i == 0 ? "" : i + 1 == count ? " or " : ", ") + winio_words[i].word;
    return text;
}

bool set_winio(box_options& o, const std::string& value, std::string& error)
{
    if (!winio_presence_from(value, o.winio)) {
        error = "--winio wants " + winio_choices() + ", not '" + value + "'";
        return false;
    }
    return true;
}

bool set_serve(box_options& o, const std::string& value, std::string& error)
{
    uint64_t port = 0;
    if (!parse_unsigned(value, port) || port > 65535) {
        error = "--serve wants a TCP port number from 0 to 65535, not '" + value + "'";
        return false;
    }
    o.serve_port = static_cast<int>(port);
    return true;
}

bool set_strict_status(box_options& o, const std::string&, std::string&)
{
    o.strict_status = true;
    return true;
}

bool set_tap_reset_releases_stop(box_options& o, const std::string&, std::string&)
{
    o.tap_reset_releases_stop = true;
    return true;
}

bool set_help(box_options& o, const std::string&, std::string&)
{
    o.help = true;
    return true;
}

bool set_version(box_options& o, const std::string&, std::string&)
{
    o.version = true;
    return true;
}

std::string chip_help()
{
    return sim::flash_chip_names() + " (default " + sim::flash_default_chip + ")";
}

std::string phase_help()
{
    return phase_words();
}

std::string winio_help()
{
    return sim::listed_names(winio_words, [](const winio_word& w) { return std::string(w.word) + w.note; });
}

struct box_option {
    const char* name;
    const char* value;      // the value's name in --help; nullptr: a flag
    bool run_only;          // nothing to --serve
    setter set;
    const char* help;
    std::string (*names)(); // a table's names, after the help text; or nullptr
};

constexpr box_option table[] = {
    {box_option_name::chip, "NAME", false, set_chip, "the flash chip fitted:", chip_help},
    {box_option_name::chip_id, "M,D,E,F", false, set_chip_id, "a top-boot chip answering these autoselect codes (hex)",
        nullptr},
    {box_option_name::fault, "NAME[=N]", false, set_fault,
        "inject a fault (repeatable; N counts port accesses for cable-pull and exchanges from 0 for "
        "status-error and box-reset, K is a sector, I a programmed word from 0):",
        sim::fault_list},
    {box_option_name::flash, "FILE", false, set_flash,
        "the chip's 8 MiB array, 16-bit words low byte first; loaded when the file exists (an erased chip "
        "otherwise) and saved when the run ends",
        nullptr},
    {box_option_name::vcd, "FILE", false, set_vcd, "waveform of tck, tms, tdi, tdo, rst on simulated time", nullptr},
    {box_option_name::vcd_from, "PHASE|S", false, set_vcd_from,
        "the waveform starts at this phase or simulated second; phases:", phase_help},
    {box_option_name::vcd_until, "PHASE|S", false, set_vcd_until, "the waveform ends with this phase or at this second",
        nullptr},
    {box_option_name::port_log, "FILE", false, set_port_log, "one line per port access: \"w XX\" or \"r XX\"", nullptr},
    {box_option_name::port_ns, "N", false, set_port_ns, "cost of one port access in ns (default 1000)", nullptr},
    {box_option_name::max_sim_seconds, "S", true, set_time_limit, "stop once simulated time passes S seconds", nullptr},
    {box_option_name::sector_erase_ms, "N", false, set_sector_erase,
        "time of one sector erase in ms (default 700, typical)", nullptr},
    {box_option_name::word_program_us, "N", false, set_word_program,
        "time of one word program in us (default 10, typical)", nullptr},
    {box_option_name::tap_reset_releases_stop, nullptr, false, set_tap_reset_releases_stop,
        "Test-Logic-Reset lets a stopped core run: the words it is given fail and its code overwrites its "
        "registers until a control word stops it again",
        nullptr},
    {box_option_name::winio, "MODE", true, set_winio, "the PC's WinIo.dll:", winio_help},
    {box_option_name::strict_status, nullptr, true, set_strict_status,
        "exit status 1 for a run that did not program the image although vexload's status is 0", nullptr},
    {box_option_name::serve, "PORT", false, set_serve,
        "no run: serve the box on 127.0.0.1:PORT to a JTAG client speaking remote_bitbang, one at a time, "
        "until interrupted (0: any free port); the box keeps real time then",
        nullptr},
    {"--version", nullptr, false, set_version, "the version, and end", nullptr},
    {"--help", nullptr, false, set_help, "this text", nullptr},
};

// The table has a row for each of the box's options, and --version and --help
// are the only rows of the program's own.
constexpr bool table_rows_are_the_box_options()
{
    size_t box_rows = 0;
    for (const box_option& o : table) {
        if (is_box_option(o.name))
            ++box_rows;
        else if (std::string_view(o.name) != "--version" && std::string_view(o.name) != "--help")
            return false;
    }
    return box_rows == std::size(box_option_names);
}
static_assert(table_rows_are_the_box_options());

const box_option* find_option(const std::string& name)
{
    for (const box_option& o : table)
        if (name == o.name)
            return &o;
    return nullptr;
}

std::string option_names()
{
    return sim::listed_names(table, [](const box_option& o) { return o.name; });
}

// The two ends of the waveform in the order of a run, where both are phases
// or both are times.
bool window_in_order(const run_point& from, const run_point& until)
{
    if (!from.given || !until.given || (from.phase < 0) != (until.phase < 0))
        return true;
    return from.phase >= 0 ? from.phase <= until.phase : from.ns <= until.ns;
}

bool check_together(const box_options& o, const std::vector<const box_option*>& given, int argc,
    char* const argv[], std::string& error)
{
    if (o.serve_port >= 0) {
        for (const box_option* g : given)
            if (g->run_only) {
                error = std::string(g->name) + " does not apply to --serve";
                return false;
            }
        if (o.tool_arguments < argc) {
            error = "vexload options do not apply to --serve: '" + std::string(argv[o.tool_arguments]) + "'";
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
    std::vector<const box_option*> given;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--") {
            ++i;
            break;
        }
        if (word.rfind("--", 0) != 0)
            break; // the tool's first word: it has no long options
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const box_option* option = find_option(name);
        if (option == nullptr) {
            error = "unknown box option '" + name + "'; box options: " + option_names();
            return false;
        }
        std::string value;
        if (option->value == nullptr) {
            if (equals != std::string::npos) {
                error = name + " takes no value";
                return false;
            }
        } else if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        }
        if (option->value != nullptr && value.empty()) {
            error = name + " needs a value";
            return false;
        }
        if (!option->set(options, value, error))
            return false;
        given.push_back(option);
    }
    options.tool_arguments = i;
    return check_together(options, given, argc, argv, error);
}

namespace {

constexpr size_t help_column = 26;
constexpr size_t help_width = 79;

// line (the option and its value), then text from the help column on,
// wrapped at blanks; a line too long for the column stands alone.
void print_wrapped(const std::string& line, const std::string& text)
{
    std::string lead = line;
    if (lead.size() + 1 > help_column) {
        std::printf("%s\n", lead.c_str());
        lead.clear();
    }
    lead.resize(help_column, ' ');
    constexpr size_t room = help_width - help_column;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.size();
        if (end - at > room) {
            end = text.rfind(' ', at + room);
            if (end == std::string::npos || end <= at)
                end = text.find(' ', at + room);
            if (end == std::string::npos)
                end = text.size();
        }
        std::printf("%s%s\n", lead.c_str(), text.substr(at, end - at).c_str());
        lead.assign(help_column, ' ');
        at = end < text.size() ? end + 1 : end;
    }
}

} // namespace

void print_box_help()
{
    std::printf(
        "Usage: vexload-sim [box options] [--] [vexload options]\n"
        "Runs vexload against the virtual box and prints what vexload prints; a\n"
        "summary of the run follows on standard error.\n"
        "\n"
        "Box options (they end at \"--\" or at the first word not starting with \"--\"):\n");
    for (const box_option& o : table) {
        std::string line = "  ";
        line += o.name;
        if (o.value != nullptr) {
            line += ' ';
            line += o.value;
        }
        std::string help = o.help;
        if (o.names != nullptr) {
            help += ' ';
            help += o.names();
        }
        print_wrapped(line, help);
    }
    std::printf(
        "\n"
        "Exit status: vexload's own (0, or 255 after a link or program failure);\n"
        "1 with --strict-status for a run that did not program the image; 2 for a\n"
        "bad box option, a flash file that cannot be used or one in use by another\n"
        "run; 3 when the flash file or a trace could not be written; 124 when\n"
        "--max-sim-seconds stopped the run; 130, 143, 141 after SIGINT, SIGTERM,\n"
        "SIGPIPE (the flash saved as it stood).\n");
}
