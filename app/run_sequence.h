// SPDX-License-Identifier: MIT
// The tool's main routine.
#pragma once

#include <cstdint>

// model_code of this run once it is formed, -1 before; vexload-sim reads it for its summary.
extern int32_t run_model_code;

// What the command line asks of a run.
struct run_request {
    int32_t model_code = -1;
    bool verify_requested = false;
};

// Scans the command line and selects the model; false where the run ends
// there, after the banner and usage or the refused model's message.
bool scan_run_request(int32_t argc, char* const argv[], run_request& request);

// Scans the command line, selects the model, drives the programming steps and
// prints the verdict. Every path that returns gives 0, except the refusal of
// placeholder images (status_placeholder_images).
int32_t run_sequence(int32_t argc, char* const argv[]);
