// SPDX-License-Identifier: MIT
#include "sim/box.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <limits>

#include "sim/bus.h"
#include "sim/cable.h"
#include "sim/clock.h"
#include "sim/core.h"
#include "sim/debug_unit.h"
#include "sim/events.h"
#include "sim/flash.h"
#include "sim/faults.h"
#include "sim/tap.h"
#include "sim/trace.h"

namespace sim {

namespace {

constexpr uint64_t never = std::numeric_limits<uint64_t>::max();
constexpr uint64_t ns_per_ms = 1000000;

// The port path stays on its fast branch until the access count passes this:
// 0 while tracing or a cable fault is active or a stop is requested, else the
// next cable pull or time limit. Atomic because a signal handler sets it; a
// relaxed load is the same plain load on the port path.
std::atomic<uint64_t> slow_after{never};
static_assert(std::atomic<uint64_t>::is_always_lock_free);

volatile std::sig_atomic_t stop_signal = 0;
void (*stop_handler)(int) = nullptr;

uint64_t port_reads = 0;
uint64_t sleeps = 0;
uint64_t sleep_ms = 0;
box_stats stats;

bool limit_set = false;
uint64_t limit_ns = 0;
void (*limit_handler)() = nullptr;
bool limit_passed = false;

void (*exit_hook)(int) = nullptr;

// A system reset reaches the core, its bus and the flash chip's state
// machine together (the flash array keeps its contents).
void system_reset()
{
    core_power_on();
    bus_power_on();
    flash_power_on();
}

void refresh_path()
{
    uint64_t after = port_log_active() || vcd_active() ? 0 : cable_slow_after();
    if (limit_set) {
        const uint64_t now = now_ns();
        const uint64_t port_ns = clock_port_ns();
        if (now > limit_ns)
            after = 0;
        else if (port_ns != 0)
            after = std::min(after, clock_port_accesses + (limit_ns - now) / port_ns);
    }
    slow_after.store(after, std::memory_order_relaxed);
    // A signal between the computation and the store is seen here.
    if (stop_signal != 0)
        slow_after.store(0, std::memory_order_relaxed);
}

void fire_time_limit()
{
    limit_set = false;
    limit_passed = true;
    refresh_path();
    limit_handler();
}

// The points where a run can be stopped: a requested stop, then the time limit.
void check_stops()
{
    if (stop_signal != 0 && stop_handler != nullptr) {
        void (*handler)(int) = stop_handler;
        stop_handler = nullptr;
        handler(stop_signal);
    }
    if (limit_set && now_ns() > limit_ns)
        fire_time_limit();
}

[[gnu::noinline]] void slow_write(uint8_t data)
{
    check_stops();
    if (port_log_active())
        port_log_write(data);
    cable_drive_faulty(data);
    if (vcd_active())
        vcd_change(now_ns(), cable_pc_levels());
}

[[gnu::noinline]] uint8_t slow_read()
{
    check_stops();
    const uint8_t status = cable_status(cable_line_tdo());
    if (port_log_active())
        port_log_read(status);
    if (vcd_active())
        vcd_change(now_ns(), cable_pc_levels());
    return status;
}

} // namespace

// The reset group is the box's reset line: the debug unit holds the core
// while it is low, and its falling edge is a system reset.
void cable_reset_change(uint8_t data)
{
    const bool asserted = cable_reset_asserted(data);
    if (asserted && !debug_unit.reset_asserted)
        system_reset();
    debug_reset_lines(asserted);
}

void box_system_reset()
{
    system_reset();
}

void box_power_on()
{
    clock_reset();
    milestones_clear();
    cable_power_on();
    tap_power_on();
    debug_power_on(cable_reset_asserted(cable.data));
    system_reset();
    port_reads = 0;
    sleeps = 0;
    sleep_ms = 0;
    limit_passed = false;
    stop_signal = 0;
    if (trace_exchanges_on)
        trace_exchanges(true);
    refresh_path();
}

void box_set_port_ns(uint64_t ns)
{
    clock_set_port_ns(ns);
    refresh_path();
}

void box_use_real_time()
{
    clock_use_real_time();
    vcd_real_time();
    refresh_path();
}

void box_port_write(uint8_t value)
{
    if (++clock_port_accesses > slow_after.load(std::memory_order_relaxed)) [[unlikely]] {
        slow_write(value);
        return;
    }
    cable_drive(value);
}

uint8_t box_port_read()
{
    ++port_reads;
    if (++clock_port_accesses > slow_after.load(std::memory_order_relaxed)) [[unlikely]]
        return slow_read();
    return cable_status(tap.tdo);
}

void box_sleep(uint32_t ms)
{
    ++sleeps;
    const uint64_t now = now_ns();
    const uint64_t pause = ms * ns_per_ms;
    if (limit_set && now + pause > limit_ns) {
        // The limit falls within this pause: the run stops at the limit.
        const uint64_t slept = limit_ns > now ? limit_ns - now : 0;
        sleep_ms += slept / ns_per_ms;
        advance_ns(slept);
        check_stops();
        fire_time_limit();
        return;
    }
    sleep_ms += ms;
    advance_ns(pause);
    check_stops();
    refresh_path();
}

const box_stats& box_statistics()
{
    stats.port_reads = port_reads;
    stats.port_writes = clock_port_accesses - port_reads;
    stats.tck_cycles = tap.rising_edges;
    stats.exchanges = debug_unit.exchanges;
    stats.sleeps = sleeps;
    stats.sleep_ms = sleep_ms;
    return stats;
}

namespace {

// A trace shows the PC's bytes from the moment it opens; an empty name closes it.
bool open_trace(const std::string& path, bool (*open)(const std::string&), bool (*close)())
{
    bool opened = true;
    if (path.empty())
        close();
    else {
        cable_sync_pc_data();
        opened = open(path);
    }
    refresh_path();
    return opened;
}

} // namespace

bool box_open_vcd(const std::string& path)
{
    return open_trace(
        path, [](const std::string& p) { return vcd_open(p, now_ns(), cable_pc_levels(), clock_port_ns()); }, vcd_close);
}

bool box_open_port_log(const std::string& path)
{
    return open_trace(path, port_log_open, port_log_close);
}

void box_set_vcd_window(const vcd_bound& from, const vcd_bound& until)
{
    vcd_set_window(from, until);
    refresh_path();
}

bool box_close_traces()
{
    const bool vcd_written = vcd_close();
    const bool log_written = port_log_close();
    refresh_path();
    return vcd_written && log_written;
}

void box_trace_exchanges(bool on)
{
    trace_exchanges(on);
}

const std::vector<exchange_record>& box_exchanges()
{
    return traced_exchanges();
}

void box_set_time_limit(uint64_t ns, void (*on_limit)())
{
    limit_set = on_limit != nullptr;
    limit_ns = ns;
    limit_handler = on_limit;
    refresh_path();
}

bool box_time_limit_passed()
{
    return limit_passed;
}

void box_request_stop(int signal)
{
    stop_signal = signal;
    slow_after.store(0, std::memory_order_relaxed);
}

void box_set_stop_handler(void (*on_stop)(int signal))
{
    stop_handler = on_stop;
}

void box_set_exit_hook(void (*hook)(int status))
{
    exit_hook = hook;
}

void (*box_exit_hook())(int status)
{
    return exit_hook;
}

} // namespace sim
