// SPDX-License-Identifier: MIT
// vexload-sim's own options: arbitrary words (the input split at NUL bytes)
// through the option parser, then each fault and chip word that it accepted
// through the box's own parsers.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim/faults.h"
#include "sim/flash.h"
#include "sim/program/box_options.h"
#include "tests/fuzz/fuzz_words.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_words line("vexload-sim", data, size);
    const int argc = line.argc;
    char** const argv_data = line.argv.data();

    box_options options;
    std::string error;
    if (!parse_box_options(argc, argv_data, options, error)) {
        if (error.empty())
            std::abort(); // a refusal always says why
        return 0;
    }
    if (!error.empty() || options.tool_arguments < 1 || options.tool_arguments > argc)
        std::abort();
    if (options.serve_port > 65535)
        std::abort();
    for (int i = options.tool_arguments; i < argc; ++i)
        if (is_box_option(argv_data[i]))
            std::abort(); // a box option among vexload's words, lost to the box
    for (const std::string* file : {&options.flash_path, &options.vcd_path, &options.port_log_path})
        if (file->rfind("--", 0) == 0)
            std::abort(); // another option, or the "--" that ends them, taken for a file name

    sim::faults = sim::fault_set{};
    for (const std::string& fault : options.faults) {
        std::string fault_error;
        const bool accepted = sim::fault_apply(fault, fault_error);
        if (accepted != fault_error.empty())
            std::abort(); // accepted with a complaint, or refused without one
    }
    sim::faults = sim::fault_set{};
    if (!options.chip.empty())
        sim::flash_select_chip(options.chip);
    if (options.chip_id_given)
        sim::flash_set_chip_id(options.chip_id[0], options.chip_id[1], options.chip_id[2], options.chip_id[3]);
    return 0;
}
