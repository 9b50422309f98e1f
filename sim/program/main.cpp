// SPDX-License-Identifier: MIT
// vexload-sim: vexload's run sequence against the virtual box.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/programming.h"
#include "app/run_sequence.h"
#include "platform/system.h"
#include "sim/box.h"
#include "sim/events.h"
#include "sim/faults.h"
#include "sim/flash.h"
#include "sim/flash_chips.h"
#include "sim/program/image_check.h"
#include "sim/program/box_options.h"
#include "sim/program/flash_file.h"
#include "sim/program/phases.h"
#include "sim/program/summary.h"
#include "sim/seam/winio_box.h"
#include "sim/program/serve.h"

namespace {

constexpr int status_failed = 1;
constexpr int status_bad_option = 2;
constexpr int status_not_saved = 3;
constexpr int status_time_limit = 124;

box_options options;
sim::serve_control serving;

summary_start client_start;

void client_starts()
{
    client_start = summary_starting_now();
}

// Each client's session is a run of its own: its summary, from its start.
void client_ends(unsigned long long input_waits)
{
    std::fprintf(stderr, "vexload-sim: the client's session ended\n");
    print_summary(client_start);
    std::fprintf(stderr, "input waits: %llu (the client's round trips)\n", input_waits);
}

extern "C" void stop_serving(int)
{
    serving.stop.store(true);
}

extern "C" void stop_run(int signal)
{
    sim::box_request_stop(signal);
}

struct signal_name {
    int number;
    const char* name;
};

constexpr signal_name stop_signals[] = {
    {SIGINT, "SIGINT"},
    {SIGTERM, "SIGTERM"},
#ifdef SIGPIPE
    {SIGPIPE, "SIGPIPE"}, // standard output closed: the run cannot be watched any more
#endif
};

// Without restarting: a write blocked on a full pipe returns, so that the run
// reaches its next port access and stops there.
void catch_signal(int signal, void (*handler)(int))
{
#ifdef _WIN32
    std::signal(signal, handler);
#else
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(signal, &action, nullptr);
#endif
}

// A run that never touched the port (usage only, a server that could not
// listen) changed nothing: no summary, nothing saved.
bool box_was_used()
{
    const sim::box_stats& s = sim::box_statistics();
    return s.port_writes + s.port_reads + s.sleeps != 0;
}

// The run programmed the image: it got as far as the download, and the
// image is in the flash now.
bool image_programmed()
{
    uint64_t ignored = 0;
    return sim::milestone_time(sim::milestone::first_program, ignored) && image_in_flash();
}

[[noreturn]] void refuse(const std::string& message)
{
    flash_file_release();
    std::fprintf(stderr, "vexload-sim: %s\n", message.c_str());
    std::exit(status_bad_option);
}

// Every end of a run: summary, flash saved, traces closed.
[[noreturn]] void finish(int status)
{
    std::fflush(stdout);
    const bool used = box_was_used();
    // A served box has told each client's summary at its end.
    if (used && options.serve_port < 0)
        print_summary();
    if (options.strict_status && status == 0 && !image_programmed())
        status = status_failed;
    std::string error;
    if (used && !options.flash_path.empty() && !flash_file_save(error)) {
        std::fprintf(stderr, "vexload-sim: %s\n", error.c_str());
        status = status_not_saved;
    }
    flash_file_release();
    if (!sim::box_close_traces()) {
        std::fprintf(stderr, "vexload-sim: a trace file could not be written completely\n");
        status = status_not_saved;
    }
    std::exit(status);
}

void time_limit_passed()
{
    std::fflush(stdout);
    std::fprintf(stderr, "\nvexload-sim: stopped: simulated time passed %.6f s\n",
        static_cast<double>(options.time_limit_ns) / 1e9);
    finish(status_time_limit);
}

void stopped_by(int signal)
{
    const char* name = "a signal";
    for (const signal_name& s : stop_signals)
        if (s.number == signal)
            name = s.name;
    std::fflush(stdout);
    std::fprintf(stderr, "\nvexload-sim: stopped by %s\n", name);
    finish(128 + signal);
}

unsigned mark_bit(int phase)
{
    return 1u << static_cast<unsigned>(phase_starts[phase].mark);
}

// A phase starts at its own mark and ends at the mark of any later phase.
sim::vcd_bound bound_of(const run_point& point, bool until)
{
    sim::vcd_bound bound;
    if (!point.given)
        return bound;
    if (point.phase < 0) {
        bound.set = true;
        bound.ns = point.ns;
    } else if (!until) {
        bound.set = !phase_starts[point.phase].at_power_on;
        bound.marks = mark_bit(point.phase);
    } else {
        for (int later = point.phase + 1; later < run_phase_count; ++later)
            bound.marks |= mark_bit(later);
        bound.set = bound.marks != 0;
    }
    return bound;
}

void set_up_box()
{
    std::string error;
    for (const std::string& fault : options.faults)
        if (!sim::fault_apply(fault, error))
            refuse(error);
    sim::faults.tap_reset_releases_stop = options.tap_reset_releases_stop;
    box_winio = options.winio;
    sim::box_set_port_ns(options.port_ns);
    sim::box_power_on();
    sim::flash_set_times(options.sector_erase_ns, options.word_program_ns);
    if (options.chip_given && !sim::flash_select_chip(options.chip))
        refuse("unknown chip '" + options.chip + "'; known chips: " + sim::flash_chip_names());
    if (options.chip_id_given)
        sim::flash_set_chip_id(options.chip_id[0], options.chip_id[1], options.chip_id[2], options.chip_id[3]);
    if (!options.flash_path.empty() && !flash_file_open(options.flash_path, error))
        refuse(error);
    sim::box_set_vcd_window(bound_of(options.vcd_from, false), bound_of(options.vcd_until, true));
    // The traces are opened by the C library: errno has the reason.
    errno = 0;
    if (!options.vcd_path.empty() && !sim::box_open_vcd(options.vcd_path))
        refuse("cannot open VCD file " + options.vcd_path + ": " + std::strerror(errno));
    if (!options.port_log_path.empty() && !sim::box_open_port_log(options.port_log_path))
        refuse("cannot open port log " + options.port_log_path + ": " + std::strerror(errno));
}

} // namespace

int main(int argc, char* argv[])
{
    // The box is virtual: the build's placeholder images may go into it.
    placeholder_images_allowed = true;
    std::string error;
    if (!parse_box_options(argc, argv, options, error))
        refuse(error);
    if (options.help) {
        print_box_help();
        return 0;
    }
    if (options.version) {
        std::printf("vexload-sim %s\n", VEXLOAD_VERSION);
        return 0;
    }
    set_up_box();

    if (options.serve_port >= 0) {
        catch_signal(SIGINT, stop_serving);
        catch_signal(SIGTERM, stop_serving);
#ifdef SIGPIPE
        std::signal(SIGPIPE, SIG_IGN);
#endif
        sim::box_use_real_time();
        serving.client_starts = client_starts;
        serving.client_ends = client_ends;
        finish(sim::serve_remote_bitbang(options.serve_port, serving));
    }

    sim::box_set_stop_handler(stopped_by);
    for (const signal_name& s : stop_signals)
        catch_signal(s.number, stop_run);

    if (options.time_limit_given)
        sim::box_set_time_limit(options.time_limit_ns, time_limit_passed);
    sim::box_set_exit_hook(finish);

    std::vector<char*> tool_argv{argv[0]};
    for (int i = options.tool_arguments; i < argc; ++i)
        tool_argv.push_back(argv[i]);
    tool_argv.push_back(nullptr);
    platform_exit(run_sequence(static_cast<int32_t>(tool_argv.size() - 1), tool_argv.data()));
}
