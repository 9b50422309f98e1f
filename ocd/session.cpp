// SPDX-License-Identifier: MIT
#include "ocd/session.h"

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "link/debug_exchange.h"
#include "ocd/answers.h"
#include "ocd/run_host.h"
#include "ocd/tcl_scripts.h"
#include "platform/system.h"

namespace {

constexpr int box_ir_length = 7;

std::string where(const ocd_session& s)
{
    return s.host + ":" + std::to_string(s.port);
}

// Who holds OpenOCD, for the line of a second run; only characters that
// stand in Tcl's braces as themselves.
std::string who_am_i()
{
    std::string host;
    for (const char c : run_host_name())
        host += (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-') ? c : '_';
    return "pid " + std::to_string(run_process_id()) + " on " + host;
}

void claim(ocd_session& s)
{
    std::random_device random;
    s.token = "vexload-" + std::to_string(run_process_id()) + "-" + std::to_string(random());
    claim_answer held;
    const std::string answer = session_request(s, claim_script(s.token, who_am_i()));
    if (!parse_claim_answer(answer, held))
        session_cannot_start(s, "OpenOCD at " + where(s) + " answered '" + quoted(answer) + "' to the claim");
    if (!held.taken) {
        char age[32];
        std::snprintf(age, sizeof age, "%.1f", static_cast<double>(held.age_ms) / 1000);
        session_cannot_start(s, "OpenOCD at " + where(s) + " is in use by another vexload-ocd run (" + held.holder +
                                    ", its last request " + age + " s ago): this run leaves the box alone. Wait for "
                                    "that run to end; a run that died lets go " +
                                    std::to_string(claim_stale_ms / 1000) + " s after its last request.");
    }
    s.claimed = true;
    session_request(s, procedures_script(s.token));
}

std::string chosen_tap(ocd_session& s, const std::vector<std::string>& taps)
{
    if (!s.wanted_tap.empty()) {
        for (const std::string& t : taps)
            if (t == s.wanted_tap)
                return t;
        session_cannot_start(s, "OpenOCD has no TAP named '" + s.wanted_tap + "'");
    }
    if (taps.empty())
        session_cannot_start(s, "OpenOCD has no TAP; declare the box's: jtag newtap box cpu -irlen 7 -expected-id 0");
    if (taps.size() > 1) {
        std::string list;
        for (const std::string& t : taps)
            list += (list.empty() ? "" : ", ") + t;
        session_cannot_start(s, "OpenOCD has several TAPs (" + list + "); name the box's with --tap");
    }
    return taps[0];
}

} // namespace

void session_cannot_start(ocd_session& s, const std::string& why)
{
    std::fprintf(stderr, "vexload-ocd: %s\n", why.c_str());
    s.ending = true;
    platform_exit(status_no_openocd);
}

void session_lost(ocd_session& s, const std::string& why)
{
    std::fprintf(stderr, "vexload-ocd: %s\n", why.c_str());
    s.ending = true;
    link_failure();
}

std::string session_request(ocd_session& s, const std::string& script, int answer_ms)
{
    std::string answer;
    std::string error;
    if (!tcl_request(s.client, guarded(script), answer, error, answer_ms)) {
        if (error == "stopped")
            session_stop(s);
        if (!s.box_touched)
            session_cannot_start(s, "OpenOCD at " + where(s) + ": " + error);
        session_lost(s, error);
    }
    const std::optional<std::string> failure = failure_of(answer);
    if (!failure)
        return answer;
    if (failure->find("claim on OpenOCD is gone") != std::string::npos)
        session_lost(s, "another run took OpenOCD over: this run had sent it nothing for " +
                            std::to_string(claim_stale_ms / 1000) + " s");
    if (!s.box_touched)
        session_cannot_start(s, "OpenOCD at " + where(s) + " answers, but its adapter does not (" + *failure +
                                    "): nothing reached the box; restart OpenOCD once its adapter and the box are "
                                    "connected");
    session_lost(s, "OpenOCD could not carry out the run's scans (" + *failure +
                        "): its adapter or the box has gone away");
}

void session_open(ocd_session& s)
{
    std::string error;
    if (!tcl_connect(s.client, s.host, s.port, error)) {
        if (error == "stopped")
            session_stop(s);
        session_cannot_start(s, error);
    }
    claim(s);
    setup_answer setup;
    if (!parse_setup_answer(session_request(s, setup_query_script()), setup))
        session_cannot_start(s, "OpenOCD at " + where(s) + " did not answer as OpenOCD 0.12 or later does");
    const std::string name = chosen_tap(s, setup.taps);
    const int length = ir_length_of(setup, name);
    if (length != box_ir_length)
        session_cannot_start(s, "TAP " + name + " has an instruction register of " + std::to_string(length) +
                                    " bits in OpenOCD, the box's has 7: declare it with -irlen 7");
    if (setup.reset_config.find("srst_only") == std::string::npos &&
        setup.reset_config.find("trst_and_srst") == std::string::npos)
        session_cannot_start(s, "OpenOCD does not drive SRST, the box's reset: add 'reset_config srst_only "
                                "srst_nogate' to its configuration");
    s.tap = name;
    s.adapter = setup.adapter;
    s.step = run_step::preparing;
}

void session_close(ocd_session& s)
{
    s.ending = true;
    if (s.claimed) {
        std::string answer;
        std::string error;
        tcl_request(s.client, guarded(release_script(s.token)), answer, error);
        s.claimed = false;
    }
    tcl_close(s.client);
}

void session_stop(ocd_session& s)
{
    const int signal = tcl_stop_signal.load();
    const char* name = signal == SIGINT ? "Ctrl-C (SIGINT)" : signal == SIGTERM ? "SIGTERM" : "a signal";
    std::fflush(stdout);
    std::fprintf(stderr, "\nvexload-ocd: stopped by %s %s\n", name, stop_line_for(s.step));
    s.ending = true;
    // The claim goes back with the last word, whatever OpenOCD is busy with.
    if (s.claimed)
        tcl_send_only(s.client, guarded(release_script(s.token)));
    s.claimed = false;
    tcl_close(s.client);
    std::fflush(stderr);
    std::_Exit(stop_status(signal));
}
