// SPDX-License-Identifier: MIT
#include "sim/box.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <limits>

#include "sim/cable.h"
#include "sim/clock.h"
#include "sim/core.h"
#include "sim/debug_unit.h"
#include "sim/events.h"
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

// The slow path's view: the byte the PC wrote (the box may see another TCK
// level through slow-target) and the slow target's TCK filter.
uint8_t pc_data = 0;
uint8_t filter_last = 0;
uint8_t filter_tck = 0;
int64_t filter_held = std::numeric_limits<int64_t>::max();

bool cable_pulled()
{
    return faults.cable_pull >= 0 && clock_port_accesses > static_cast<uint64_t>(faults.cable_pull);
}

bool line_tdo()
{
    if (cable_pulled())
        return true; // floats high
    if (faults.tdo_stuck_0)
        return false;
    if (faults.tdo_stuck_1)
        return true;
    return tap.tdo;
}

cable_levels levels()
{
    return {(pc_data & cable_tck) != 0, (pc_data & cable_tms) != 0, (pc_data & cable_tdi) != 0, line_tdo(),
        !cable_reset_asserted(pc_data)};
}

// The fast path keeps no copy of the PC's byte: the box saw exactly that byte
// unless the cable is off or the target filters TCK (both always slow).
void sync_pc_data()
{
    if (!cable_pulled() && faults.slow_target <= 1)
        pc_data = cable.data;
}

void refresh_path()
{
    const bool always = port_log_active() || vcd_active() || faults.tdo_stuck_0 || faults.tdo_stuck_1 ||
                        faults.slow_target > 1;
    uint64_t after = always ? 0 : never;
    if (faults.cable_pull >= 0)
        after = std::min(after, static_cast<uint64_t>(faults.cable_pull));
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

// A target too slow for short half periods: it sees TCK change only once the
// new level has lasted slow_target port writes.
uint8_t slow_target_view(uint8_t data)
{
    if (((data ^ filter_last) & cable_tck) != 0)
        filter_held = 1;
    else if (filter_held < std::numeric_limits<int64_t>::max())
        ++filter_held;
    filter_last = data;
    if (filter_held >= faults.slow_target)
        filter_tck = data & cable_tck;
    return static_cast<uint8_t>((data & ~cable_tck) | filter_tck);
}

[[gnu::noinline]] void slow_write(uint8_t data)
{
    check_stops();
    if (port_log_active())
        port_log_write(data);
    pc_data = data;
    if (!cable_pulled())
        cable_drive(faults.slow_target > 1 ? slow_target_view(data) : data);
    if (vcd_active())
        vcd_change(now_ns(), levels());
}

[[gnu::noinline]] uint8_t slow_read()
{
    check_stops();
    const uint8_t status = cable_status(line_tdo());
    if (port_log_active())
        port_log_read(status);
    if (vcd_active())
        vcd_change(now_ns(), levels());
    return status;
}

} // namespace

void box_power_on()
{
    clock_reset();
    milestones_clear();
    cable_power_on();
    tap_power_on();
    debug_power_on(cable_reset_asserted(cable.data));
    core_power_on();
    port_reads = 0;
    sleeps = 0;
    sleep_ms = 0;
    limit_passed = false;
    stop_signal = 0;
    pc_data = cable.data;
    filter_last = cable.data;
    filter_tck = cable.data & cable_tck;
    filter_held = std::numeric_limits<int64_t>::max();
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

bool box_open_vcd(const std::string& path)
{
    bool opened = true;
    if (path.empty())
        vcd_close();
    else {
        sync_pc_data();
        opened = vcd_open(path, now_ns(), levels(), clock_port_ns());
    }
    refresh_path();
    return opened;
}

bool box_open_port_log(const std::string& path)
{
    bool opened = true;
    if (path.empty())
        port_log_close();
    else {
        sync_pc_data();
        opened = port_log_open(path);
    }
    refresh_path();
    return opened;
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
