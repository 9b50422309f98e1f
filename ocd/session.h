// SPDX-License-Identifier: MIT
// vexload-ocd's session with OpenOCD: the connection to its Tcl server, the
// claim that keeps a second run away, the box's TAP, and the one-line
// failures of a run that cannot start or loses its link.
#pragma once

#include <string>

#include "ocd/run_step.h"
#include "ocd/tcl_client.h"

// Exit status of a link that cannot start: OpenOCD absent, held by another
// run, its TAP or reset not the box's, its adapter gone.
constexpr int status_no_openocd = 1;

struct ocd_session {
    // Where OpenOCD listens and which TAP is the box's (empty: the only one).
    std::string host = "127.0.0.1";
    int port = 6666;
    std::string wanted_tap;

    tcl_client client;        // the connection to OpenOCD's Tcl server
    std::string tap;          // the box's TAP; empty until the session is open
    std::string adapter;      // the adapter driver's name, as OpenOCD gives it
    std::string token;        // this run's claim on OpenOCD
    bool claimed = false;
    bool box_touched = false; // a scan or the reset line has reached the box
    bool ending = false;      // the run is ending: nothing more goes to the box
    run_step step = run_step::connecting;
};

// Connects, makes sure that OpenOCD's Tcl server answers, claims OpenOCD for
// the run, installs the run's procedures and finds the box's TAP; a session
// that cannot be had ends the run with one line and status_no_openocd.
void session_open(ocd_session& session);

// One request and its answer. A connection that fails, a stop asked for, and
// an answer of a command OpenOCD could not carry out end the run here, with
// one line: before the box was touched as a run that cannot start, after it
// as a failed link.
std::string session_request(ocd_session& session, const std::string& script, int answer_ms = tcl_answer_ms);

// One line on standard error, then the run ends with status_no_openocd.
[[noreturn]] void session_cannot_start(ocd_session& session, const std::string& why);

// One line on standard error, then vexload's communication-failed end.
[[noreturn]] void session_lost(ocd_session& session, const std::string& why);

// Gives the claim back and closes the connection.
void session_close(ocd_session& session);

// A stop asked for by a signal, seen between requests: the line on the
// flash, the claim given back, and the end with the signal's status.
[[noreturn]] void session_stop(ocd_session& session);
