// SPDX-License-Identifier: MIT
// What vexload-ocd asks of OpenOCD's Jim Tcl, in one place. Every answer goes
// back as the result of a code that OpenOCD's Tcl server sends without
// writing it into its log (`return -level 0 -code exit`), so that OpenOCD's
// output stays quiet through a whole run, however much is read.
#pragma once

#include <string>

// A claim older than this (no request from its run) blocks nobody: its run died.
constexpr int claim_stale_ms = 30000;

// Takes OpenOCD for the run token unless another live run holds it: "" when
// taken, "held WHO AGE_MS" when not. Self-contained: it runs before this
// run's procedures are installed, so that a second run changes nothing.
std::string claim_script(const std::string& token, const std::string& who);

// The procedures every later request calls (vexload_scans, vexload_until,
// vexload_svf, vexload_adapter), bound to the run's claim: a request of a run
// whose claim is gone fails. Their answers are read by ocd/answers.h.
std::string procedures_script(const std::string& token);

// The TAP names, the scan chain's rows (';' between them), the reset
// configuration and the adapter driver's name, joined by " | ".
std::string setup_query_script();

// Gives the claim back and deletes the batch file; "".
std::string release_script(const std::string& token);

// Wraps a request: its result, or "!CODE MESSAGE" when it fails; either
// without a line in OpenOCD's log.
std::string guarded(const std::string& script);
