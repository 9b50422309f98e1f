// SPDX-License-Identifier: MIT
// vexload-sim's own options, in front of the tool's: the chip, faults, the
// flash file, traces and the cost of simulated time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/box_option_names.h"
#include "sim/flash.h"

// A point of a run: the start or the end of one of the summary's phases, or
// a simulated time.
struct run_point {
    bool given = false;
    int phase = -1; // index into phase_starts; -1: ns
    uint64_t ns = 0;
};

struct box_options {
    bool chip_given = false;           // --chip; otherwise the box's default chip
    std::string chip;
    bool chip_id_given = false;
    uint16_t chip_id[4] = {};          // manufacturer, device, word 0x0E, word 0x0F
    std::vector<std::string> faults;   // NAME or NAME=N, in order
    std::string flash_path;
    std::string vcd_path;
    run_point vcd_from;                // the waveform starts here (the start of a phase)
    run_point vcd_until;               // and ends here (the end of a phase)
    std::string port_log_path;
    uint64_t port_ns = 1000;
    uint64_t sector_erase_ns = sim::flash_sector_erase_ns; // the chip's typical times unless given
    uint64_t word_program_ns = sim::flash_program_ns;
    bool time_limit_given = false;
    uint64_t time_limit_ns = 0;
    winio_presence winio = winio_presence::present; // the PC's port-I/O library
    int serve_port = -1;               // --serve: remote_bitbang on 127.0.0.1
    bool strict_status = false;        // 1 for a run that reports a failure with status 0
    bool tap_reset_releases_stop = false; // Test-Logic-Reset lets a stopped core run
    bool help = false;
    bool version = false;
    int tool_arguments = 1;            // index of the first word for the tool
};

// Reads box options from argv[1] on, up to "--" (dropped) or the first word
// that does not start with "--", through the programs' one reader of long
// options. false with a message in error for an unknown option, a missing or
// bad value, a box option among vexload's words, or options that do not go
// together.
bool parse_box_options(int argc, char* const argv[], box_options& options, std::string& error);

void print_box_help();
