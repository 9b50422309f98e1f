// SPDX-License-Identifier: MIT
#include "ocd/link_ocd.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "link/cable.h"
#include "link/debug_exchange.h"
#include "ocd/tcl_client.h"
#include "platform/system.h"

namespace {

constexpr uint8_t ir_none = 0xFF;
constexpr int box_ir_length = 7;
constexpr size_t batch_limit = 64; // a bound on a batch whatever its callers do
constexpr const char* batch_command = "drscan";

std::string host = "127.0.0.1";
int port = 6666;
std::string wanted_tap;    // --tap; empty: the only one
std::string tap;           // empty until the link is open
std::string batch;         // " [irscan ...] [drscan ...]" waiting to be sent
std::vector<bool> ignored; // per data scan in batch: its status bit is not fatal
bool ir_known = false;     // OpenOCD's idea of the instruction matches ir_cache
bool ending = false;       // the run is ending on a failure: nothing more is sent
long long exchanges = 0;

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

std::string first_word(const std::string& script)
{
    return script.substr(0, script.find(' '));
}

// One request; the script's result, or false with OpenOCD's error message.
bool run(const std::string& script, std::string& result, bool& refused)
{
    std::string answer;
    std::string error;
    refused = false;
    if (!tcl_request("format {%d %s} [catch {" + script + "} _m] $_m", answer, error)) {
        result = error;
        return false;
    }
    if (answer.size() < 2 || (answer[0] != '0' && answer[0] != '1') || answer[1] != ' ') {
        result = "OpenOCD answered '" + answer.substr(0, 80) + "'";
        return false;
    }
    refused = answer[0] == '1';
    result = answer.substr(2);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r'))
        result.pop_back();
    return !refused;
}

// A command before the run: any failure ends the program before the box is touched.
std::string setup_command(const std::string& script)
{
    std::string result;
    bool refused = false;
    if (!run(script, result, refused))
        cannot_start(refused ? "OpenOCD refused '" + script + "': " + result : result);
    return result;
}

// A command during the run: a refusal or a lost connection ends it as a failed link.
void run_command(const std::string& script)
{
    std::string result;
    bool refused = false;
    if (!run(script, result, refused))
        lost(refused ? "OpenOCD refused '" + first_word(script) + "': " + result : result);
}

std::vector<std::string> words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

// The IR length column of the TAP's row in scan_chain; -1 when not found.
int ir_length_of(const std::string& name)
{
    std::istringstream table(setup_command("scan_chain"));
    for (std::string line; std::getline(table, line);) {
        const std::vector<std::string> w = words(line);
        if (w.size() >= 6 && w[1] == name)
            return std::atoi(w[5].c_str());
    }
    return -1;
}

void open_link()
{
    std::string error;
    if (!tcl_connect(host, port, error))
        cannot_start("cannot reach OpenOCD's Tcl server at " + host + ":" + std::to_string(port) + ": " + error +
                     " (is openocd running, with tcl_port " + std::to_string(port) + "?)");
    const std::vector<std::string> taps = words(setup_command("jtag names"));
    std::string name = wanted_tap;
    if (name.empty()) {
        if (taps.empty())
            cannot_start("OpenOCD has no TAP; declare the box's: jtag newtap box cpu -irlen 7 -expected-id 0");
        if (taps.size() > 1) {
            std::string list;
            for (const std::string& t : taps)
                list += (list.empty() ? "" : ", ") + t;
            cannot_start("OpenOCD has several TAPs (" + list + "); name the box's with --tap");
        }
        name = taps[0];
    } else {
        bool found = false;
        for (const std::string& t : taps)
            found = found || t == name;
        if (!found)
            cannot_start("OpenOCD has no TAP named '" + name + "'");
    }
    const int length = ir_length_of(name);
    if (length != box_ir_length)
        cannot_start("TAP " + name + " has an instruction register of " + std::to_string(length) +
                     " bits in OpenOCD, the box's has 7: declare it with -irlen 7");
    const std::string resets = setup_command("reset_config");
    if (resets.find("srst_only") == std::string::npos && resets.find("trst_and_srst") == std::string::npos)
        cannot_start("OpenOCD does not drive SRST, the box's reset: add 'reset_config srst_only srst_nogate' "
                     "to its configuration");
    tap = name;
}

void ensure_open()
{
    if (tap.empty() && !ending)
        open_link();
}

uint32_t send_batch()
{
    if (batch.empty())
        return 0;
    const std::string script = "concat" + batch;
    const std::vector<bool> flags = std::move(ignored);
    batch.clear();
    ignored.clear();
    std::string result;
    bool refused = false;
    if (!run(script, result, refused))
        lost(refused ? "OpenOCD refused '" + first_word(batch_command) + "': " + result : result);
    const std::vector<std::string> fields = words(result);
    if (fields.size() != 2 * flags.size())
        lost("OpenOCD answered " + std::to_string(fields.size()) + " fields to " + std::to_string(flags.size()) +
             " scans");
    uint32_t value = 0;
    for (size_t i = 0; i < flags.size(); ++i) {
        value = static_cast<uint32_t>(std::strtoul(fields[2 * i].c_str(), nullptr, 16));
        const unsigned long status = std::strtoul(fields[2 * i + 1].c_str(), nullptr, 16);
        if ((status & 1) != 0 && !flags[i])
            link_failure();
    }
    return value;
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
    if (!ending && !batch.empty())
        send_batch();
}

long long ocd_link_requests()
{
    return tcl_requests();
}

long long ocd_link_exchanges()
{
    return exchanges;
}

uint32_t dbg_exchange(int instruction, uint32_t data, int final_bit)
{
    ensure_open();
    char scan[160];
    if (instruction != ir_cache || !ir_known) {
        std::snprintf(scan, sizeof scan, " [irscan %s 0x%02X]", tap.c_str(), static_cast<unsigned>(instruction));
        batch += scan;
        // The control instruction is never trusted to stay selected.
        ir_cache = static_cast<uint8_t>(instruction);
        if (ir_cache == dbg_control)
            ir_cache = ir_none;
        ir_known = true;
    }
    std::snprintf(scan, sizeof scan, " [drscan %s 32 0x%08X 1 %d]", tap.c_str(), static_cast<unsigned>(data),
                  final_bit != 0 ? 1 : 0);
    batch += scan;
    ignored.push_back(ignore_link_status != 0);
    ++exchanges;
    // A read needs its result now; nothing else does.
    if (final_bit == 0 || ignored.size() >= batch_limit)
        return send_batch();
    return 0;
}

void link_batch_boundary()
{
    ocd_link_flush();
}

void link_failure()
{
    batch.clear();
    ignored.clear();
    ending = true;
    std::fputs(link_failure_message, stdout);
    platform_exit(-1);
}

void set_reset_lines(int level)
{
    ensure_open();
    ocd_link_flush();
    run_command(level == 0 ? "adapter assert srst" : "adapter deassert srst");
}

// OpenOCD has no TRST to pulse here (reset_config srst_only), so asserting it
// takes the TAP through Test-Logic-Reset by TMS; SRST keeps its level.
void tap_reset()
{
    ensure_open();
    ocd_link_flush();
    run_command("adapter assert trst");
    run_command("adapter deassert trst");
    // OpenOCD puts its TAP in bypass: the next exchange scans its instruction.
    ir_known = false;
}
