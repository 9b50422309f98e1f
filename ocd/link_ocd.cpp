// SPDX-License-Identifier: MIT
#include "ocd/link_ocd.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <unordered_map>

#include "link/cable.h"
#include "link/debug_exchange.h"
#include "ocd/run_host.h"
#include "ocd/run_step.h"
#include "ocd/svf_text.h"
#include "ocd/tcl_client.h"
#include "ocd/tcl_scripts.h"
#include "platform/system.h"

namespace {

constexpr uint8_t ir_none = 0xFF;
constexpr int box_ir_length = 7;
constexpr size_t batch_limit = 64; // a bound on a batch whatever its callers do
constexpr int bulk_answer_ms = 10000;
constexpr double bulk_ms_per_scan = 2.0; // room for a slow adapter

std::string host = "127.0.0.1";
int port = 6666;
std::string wanted_tap;        // --tap; empty: the only one
std::string tap;               // empty until the link is open
std::string token;             // this run's claim on OpenOCD
std::string svf_options;       // what the SVF player takes beyond -quiet
std::vector<ocd_scan> pending; // scans waiting to be sent, or captured
bool pending_strict = true;    // their status bits count
bool capturing = false;
std::vector<ocd_scan> held;    // what waited to be sent while a capture goes on
uint8_t held_ir = 0;           // the instruction register after them
bool held_ir_known = false;
bool expecting = false;        // the next read has an expected value
uint32_t expected_value = 0;
uint32_t expected_mask = 0;
bool ir_known = false;         // OpenOCD's idea of the instruction matches ir_cache
bool tail_unverified = false;  // the last exchange sent may have failed its operation
bool box_touched = false;      // a scan or the reset line has reached the box
bool ending = false;           // the run is ending: nothing more goes to the box
bool claimed = false;
tcl_client client;
long long exchanges = 0;
// A read sent again as it was sent before (a register saved and restored
// around every control-register write) is expected to answer as it did: its
// answer is then empty and stays out of OpenOCD's log.
std::unordered_map<std::string, uint32_t> earlier_reads;
size_t operation_start = 0; // where in pending the last target operation began

std::string where()
{
    return host + ":" + std::to_string(port);
}

[[noreturn]] void cannot_start(const std::string& why)
{
    std::fprintf(stderr, "vexload-ocd: %s\n", why.c_str());
    ending = true;
    platform_exit(status_no_openocd);
}

[[noreturn]] void lost(const std::string& why)
{
    std::fprintf(stderr, "vexload-ocd: %s\n", why.c_str());
    link_failure();
}

std::vector<std::string> words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

std::vector<std::string> split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + separator.size())
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

// A request and its answer; "!CODE MESSAGE" answers (a command OpenOCD could
// not carry out) end the run here.
std::string run(const std::string& script, int answer_ms = tcl_answer_ms)
{
    std::string answer;
    std::string error;
    if (!tcl_request(client, guarded(script), answer, error, answer_ms)) {
        if (error == "stopped")
            ocd_stop();
        if (!box_touched)
            cannot_start("OpenOCD at " + where() + ": " + error);
        lost(error);
    }
    if (answer.empty() || answer[0] != '!')
        return answer;
    std::string message = answer.substr(1);
    if (message.find("claim on OpenOCD is gone") != std::string::npos)
        lost("another run took OpenOCD over: this run had sent it nothing for " +
             std::to_string(claim_stale_ms / 1000) + " s");
    if (message.rfind("adapter ", 0) == 0)
        message = message.substr(8);
    // One line: what OpenOCD said first.
    message = message.substr(0, message.find('\n'));
    while (!message.empty() && (message.back() == '\r' || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    if (!box_touched)
        cannot_start("OpenOCD at " + where() + " answers, but its adapter does not (" + message +
                     "): nothing reached the box; restart OpenOCD once its adapter and the box are connected");
    lost("OpenOCD could not carry out the run's scans (" + message + "): its adapter or the box has gone away");
}

std::string who_am_i()
{
    return "pid " + std::to_string(run_process_id()) + " on " + run_host_name();
}

void claim_openocd()
{
    std::random_device random;
    token = "vexload-" + std::to_string(run_process_id()) + "-" + std::to_string(random());
    const std::string answer = run(claim_script(token, who_am_i()));
    if (!answer.empty()) {
        // "held WHO AGE"
        const size_t age_at = answer.rfind(' ');
        const std::string who = answer.substr(5, age_at == std::string::npos ? std::string::npos : age_at - 5);
        const long age_ms = age_at == std::string::npos ? 0 : std::atol(answer.c_str() + age_at + 1);
        char age[32];
        std::snprintf(age, sizeof age, "%.1f", static_cast<double>(age_ms) / 1000);
        cannot_start("OpenOCD at " + where() + " is in use by another vexload-ocd run (" + who +
                     ", its last request " + age + " s ago): this run leaves the box alone. Wait for that run "
                     "to end; a run that died lets go " + std::to_string(claim_stale_ms / 1000) + " s after its "
                     "last request.");
    }
    claimed = true;
    run(procedures_script(token));
}

// The IR length column of the TAP's row of scan_chain; -1 when not found.
int ir_length_of(const std::string& name, const std::string& rows)
{
    for (const std::string& row : split(rows, ";")) {
        const std::vector<std::string> w = words(row);
        if (w.size() >= 6 && w[1] == name)
            return std::atoi(w[5].c_str());
    }
    return -1;
}

std::string chosen_tap(const std::vector<std::string>& taps)
{
    if (!wanted_tap.empty()) {
        for (const std::string& t : taps)
            if (t == wanted_tap)
                return t;
        cannot_start("OpenOCD has no TAP named '" + wanted_tap + "'");
    }
    if (taps.empty())
        cannot_start("OpenOCD has no TAP; declare the box's: jtag newtap box cpu -irlen 7 -expected-id 0");
    if (taps.size() > 1) {
        std::string list;
        for (const std::string& t : taps)
            list += (list.empty() ? "" : ", ") + t;
        cannot_start("OpenOCD has several TAPs (" + list + "); name the box's with --tap");
    }
    return taps[0];
}

void open_link()
{
    std::string error;
    if (!tcl_connect(client, host, port, error)) {
        if (error == "stopped")
            ocd_stop();
        cannot_start(error);
    }
    claim_openocd();
    const std::vector<std::string> setup = split(run(setup_query_script()), " | ");
    if (setup.size() != 4)
        cannot_start("OpenOCD at " + where() + " did not answer as OpenOCD 0.12 or later does");
    const std::string name = chosen_tap(words(setup[0]));
    const int length = ir_length_of(name, setup[1]);
    if (length != box_ir_length)
        cannot_start("TAP " + name + " has an instruction register of " + std::to_string(length) +
                     " bits in OpenOCD, the box's has 7: declare it with -irlen 7");
    if (setup[2].find("srst_only") == std::string::npos && setup[2].find("trst_and_srst") == std::string::npos)
        cannot_start("OpenOCD does not drive SRST, the box's reset: add 'reset_config srst_only srst_nogate' "
                     "to its configuration");
    // Where the player can leave the TAP alone between batches, it does.
    svf_options = setup[3] == "1" ? "-noreset" : "";
    tap = name;
    ocd_step = run_step::preparing;
}

void ensure_open()
{
    if (tap.empty() && !ending)
        open_link();
}

std::string hex32(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

// Scans as Tcl commands whose results concat joins: "DATA STATUS" per data scan.
std::string tcl_of(const std::vector<ocd_scan>& scans)
{
    std::string script;
    script.reserve(scans.size() * 40);
    for (const ocd_scan& s : scans) {
        if (s.kind == ocd_scan::instruction)
            script += "[irscan " + tap + " " + hex32(s.value) + "]";
        else if (s.kind == ocd_scan::data)
            script += "[drscan " + tap + " 32 " + hex32(s.value) + " 1 " + (s.final_bit ? "1" : "0") + "]";
        else
            script += "[runtest " + std::to_string(s.value) + "]";
        script += ' ';
    }
    return script;
}

// "DATA STATUS" pairs, one per data scan; a checked status bit that is set
// ends the run as a broken link does.
uint32_t checked_results(const std::string& answer, const std::vector<ocd_scan>& scans)
{
    const std::vector<std::string> fields = words(answer);
    size_t data_scans = 0;
    for (const ocd_scan& s : scans)
        data_scans += s.kind == ocd_scan::data;
    if (fields.size() != 2 * data_scans)
        lost("OpenOCD answered " + std::to_string(fields.size()) + " fields to " + std::to_string(data_scans) +
             " scans");
    uint32_t value = 0;
    size_t i = 0;
    for (const ocd_scan& s : scans) {
        if (s.kind != ocd_scan::data)
            continue;
        value = static_cast<uint32_t>(std::strtoul(fields[2 * i].c_str(), nullptr, 16));
        const unsigned long status = std::strtoul(fields[2 * i + 1].c_str(), nullptr, 16);
        ++i;
        if ((status & 1) != 0 && s.status_checked)
            link_failure();
    }
    box_touched = true;
    return value;
}

uint32_t send_pending()
{
    if (pending.empty())
        return 0;
    const std::vector<ocd_scan> scans = std::move(pending);
    pending.clear();
    const bool read = scans.back().kind == ocd_scan::data && !scans.back().final_bit;
    const std::string script = tcl_of(scans);
    // The read's own operation names it, whatever writes went before it.
    const std::string operation =
        read ? tcl_of(std::vector<ocd_scan>(scans.begin() + static_cast<long>(std::min(operation_start, scans.size())),
                                            scans.end()))
             : "";
    operation_start = 0;
    long long mask = 0;
    uint32_t value = 0;
    if (read) {
        const auto earlier = earlier_reads.find(operation);
        mask = expecting ? expected_mask : earlier != earlier_reads.end() ? 0xFFFFFFFF : -1;
        value = expecting ? expected_value & expected_mask : earlier != earlier_reads.end() ? earlier->second : 0;
        expecting = false;
    }
    const std::string answer = run(std::string("vexload_do ") + (pending_strict ? "1 " : "0 ") + std::to_string(mask) +
                                   " " + std::to_string(value) + " {" + script + "}");
    tail_unverified = !read;
    if (answer.empty()) {
        box_touched = true;
        return value;
    }
    const uint32_t result = checked_results(answer, scans);
    if (read)
        earlier_reads[operation] = result;
    return result;
}

void push_scan(ocd_scan::kind_t kind, uint32_t value, bool final_bit)
{
    pending.push_back({kind, value, final_bit, kind == ocd_scan::data && ignore_link_status == 0, 0, 0});
}

double ms_for(size_t scans)
{
    return bulk_answer_ms + bulk_ms_per_scan * static_cast<double>(scans);
}

// What waits to be sent goes first in a bulk request; a write's status is
// then read by one more scan (a read of the debug data register, which
// changes nothing) where the player would reset the TAP, and with it the
// debug unit's record of a failure, before its first scan.
std::vector<ocd_scan> lead_in(bool probe)
{
    std::vector<ocd_scan> scans = std::move(pending);
    pending.clear();
    operation_start = 0;
    const bool unverified =
        scans.empty() ? tail_unverified : scans.back().kind == ocd_scan::data && scans.back().final_bit;
    if (probe && unverified) {
        if (!held_ir_known || held_ir != dbg_data)
            scans.push_back({ocd_scan::instruction, dbg_data, false, false, 0, 0});
        scans.push_back({ocd_scan::data, 0, false, true, 0, 0});
    }
    return scans;
}

} // namespace

void ocd_link_configure(const std::string& openocd_host, int openocd_port, const std::string& tap_name)
{
    host = openocd_host;
    port = openocd_port;
    wanted_tap = tap_name;
}

void ocd_link_flush()
{
    if (!ending && !capturing && !pending.empty())
        send_pending();
}

void ocd_link_close()
{
    if (!ending)
        ocd_link_flush();
    ending = true;
    if (claimed) {
        std::string answer;
        std::string error;
        tcl_request(client, guarded(release_script(token)), answer, error);
        claimed = false;
    }
    tcl_close(client);
}

long long ocd_link_requests()
{
    return client.requests;
}

long long ocd_link_exchanges()
{
    return exchanges;
}

uint32_t dbg_exchange(int instruction, uint32_t data, int final_bit)
{
    ensure_open();
    const bool strict = ignore_link_status == 0;
    if (!capturing && !pending.empty() && strict != pending_strict)
        send_pending();
    pending_strict = strict;
    if (instruction != ir_cache || !ir_known) {
        push_scan(ocd_scan::instruction, static_cast<uint32_t>(instruction), false);
        // The control instruction is never trusted to stay selected.
        ir_cache = static_cast<uint8_t>(instruction);
        if (ir_cache == dbg_control)
            ir_cache = ir_none;
        ir_known = true;
    }
    push_scan(ocd_scan::data, data, final_bit != 0);
    ++exchanges;
    if (capturing)
        return 0;
    // A read needs its result now; nothing else does.
    if (final_bit == 0 || pending.size() >= batch_limit)
        return send_pending();
    return 0;
}

// Writes wait for the next read, pause or bulk request (or the batch's
// bound): the commands of a sector's erase go out with its wait.
void link_batch_boundary()
{
    operation_start = pending.size();
}

void link_failure()
{
    pending.clear();
    capturing = false;
    ending = true;
    std::fputs(link_failure_message, stdout);
    platform_exit(-1);
}

// The reset line through OpenOCD; a driver that cannot reach its adapter says
// so only in OpenOCD's log, which the request reads.
void set_reset_lines(int level)
{
    ensure_open();
    ocd_link_flush();
    run(std::string("vexload_adapter {adapter ") + (level == 0 ? "assert" : "deassert") + " srst}");
    box_touched = true;
}

// OpenOCD has no TRST to pulse here (reset_config srst_only), so asserting it
// takes the TAP through Test-Logic-Reset by TMS; SRST keeps its level.
void tap_reset()
{
    ensure_open();
    ocd_link_flush();
    run("vexload_adapter {adapter assert trst; adapter deassert trst}");
    // OpenOCD puts its TAP in bypass: the next exchange scans its instruction.
    ir_known = false;
    tail_unverified = false;
}

// What waits to be sent is kept aside; it goes first in the bulk request, or
// with the next request of any kind.
void ocd_capture_begin()
{
    ensure_open();
    held = std::move(pending);
    operation_start = 0;
    held_ir = ir_cache;
    held_ir_known = ir_known;
    pending.clear();
    capturing = true;
    pending_strict = ignore_link_status == 0;
    ir_known = false;
}

std::vector<ocd_scan> ocd_capture_end()
{
    capturing = false;
    std::vector<ocd_scan> scans = std::move(pending);
    pending = std::move(held);
    held.clear();
    return scans;
}

size_t ocd_captured_count()
{
    return pending.size();
}

void ocd_capture_expect(uint32_t value, uint32_t mask)
{
    for (auto s = pending.rbegin(); s != pending.rend(); ++s)
        if (s->kind == ocd_scan::data) {
            s->expect_mask = mask;
            s->expect_value = value & mask;
            return;
        }
}

void ocd_capture_idle(uint32_t clocks)
{
    if (clocks != 0)
        pending.push_back({ocd_scan::idle, clocks, false, false, 0, 0});
}

void ocd_expect_next_read(uint32_t value, uint32_t mask)
{
    expecting = true;
    expected_value = value;
    expected_mask = mask;
}

bool ocd_repeat_until(const std::vector<ocd_scan>& scans, const repeat_rule& rule, uint32_t& last, int& runs)
{
    const std::vector<ocd_scan> first = lead_in(false);
    const std::string answer =
        run("vexload_until " + std::to_string(rule.mask) + " " + std::to_string(rule.value & rule.mask) + " " +
                std::to_string(rule.also) + " " + std::to_string(rule.every_ms) + " " + std::to_string(rule.limit_ms) +
                " " + std::to_string(rule.count) + " {" + tcl_of(first) + "} {" + tcl_of(scans) + "}",
            rule.limit_ms + bulk_answer_ms);
    tail_unverified = false;
    box_touched = true;
    if (answer.empty()) {
        last = rule.value;
        runs = 0;
        return true;
    }
    const size_t blank = answer.find(' ');
    const std::string results = blank == std::string::npos ? "" : answer.substr(blank + 1);
    runs = std::atoi(answer.c_str());
    // Run 0: what went first had a status bit set.
    if (runs == 0) {
        checked_results(results, first);
        lost("OpenOCD answered '" + answer.substr(0, 60) + "' to a repeated read");
    }
    last = checked_results(results, scans);
    return false;
}

bool ocd_play_batch(const std::vector<ocd_scan>& scans, batch_failure& failure)
{
    const svf_text svf = svf_of(scans);
    const std::vector<ocd_scan> first = lead_in(true);
    const std::string answer =
        run("vexload_svf " + tap + " {" + svf_options + "} {" + tcl_of(first) + "} {" + svf.text + "}",
            static_cast<int>(ms_for(scans.size() + first.size())));
    // The player leaves OpenOCD's idea of the instruction behind.
    ir_known = false;
    tail_unverified = false;
    box_touched = true;
    if (answer.empty())
        return true;
    if (answer[0] != '?') {
        // What went first had a status bit set.
        checked_results(answer, first);
        lost("OpenOCD answered '" + answer.substr(0, 60) + "' to a batch");
    }
    failure = batch_failure{};
    const std::vector<std::string> said = words(answer.substr(1));
    const long line = said.empty() ? 0 : std::atol(said[0].c_str());
    if (line >= 1 && static_cast<size_t>(line) <= svf.scan_of_line.size())
        failure.scan = svf.scan_of_line[static_cast<size_t>(line) - 1];
    if (said.size() >= 2) {
        failure.result_known = true;
        failure.result = std::strtoull(said[1].c_str(), nullptr, 16);
    }
    return false;
}

void ocd_stop()
{
    const int signal = tcl_stop_signal.load();
    const char* name = signal == SIGINT ? "Ctrl-C (SIGINT)" : signal == SIGTERM ? "SIGTERM" : "a signal";
    std::fflush(stdout);
    std::fprintf(stderr, "\nvexload-ocd: stopped by %s %s\n", name, stop_line_for(ocd_step));
    pending.clear();
    ending = true;
    // The claim goes back with the last word, whatever OpenOCD is busy with.
    if (claimed)
        tcl_send_only(client, guarded(release_script(token)));
    claimed = false;
    tcl_close(client);
    std::fflush(stderr);
    std::_Exit(stop_status(signal));
}
