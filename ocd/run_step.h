// SPDX-License-Identifier: MIT
// Which step of the run vexload-ocd is in, for the line it prints when a
// signal stops it: what the flash holds then, and what to do.
#pragma once

enum class run_step { connecting, preparing, erasing, downloading, downloaded, checking };

// The line for a run stopped by signal in step ("\nvexload-ocd: stopped by ...").
const char* stop_line_for(run_step step);

// Exit status of a run stopped by signal (130 for SIGINT, 143 for SIGTERM).
int stop_status(int signal);
