// SPDX-License-Identifier: MIT
// vexload-ocd's own options, in front of vexload's: where OpenOCD listens,
// which TAP is the box's, how often a sector being erased is read.
#pragma once

#include <cstdint>
#include <string>

struct engine_options {
    std::string host = "127.0.0.1";
    int port = 6666;            // OpenOCD's default Tcl port
    std::string tap;            // empty: the only TAP OpenOCD has
    uint32_t erase_poll_ms = 50;
    bool no_batches = false;    // download, verify and read word by word, in single requests
    bool help = false;
    bool version = false;
    int tool_arguments = 1; // index of the first word for the tool
};

// Reads engine options from argv[1] on, up to "--" (dropped) or the first word
// that does not start with "--", through the programs' one reader of long
// options. false with a message in error for a bad value, an option it does
// not know, an option of vexload-sim's virtual box, which has no meaning here,
// or an engine option among vexload's words.
bool parse_engine_options(int argc, char* const argv[], engine_options& options, std::string& error);

void print_engine_help();
