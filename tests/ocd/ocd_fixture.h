// SPDX-License-Identifier: MIT
// What the tests of vexload-ocd through the real OpenOCD share, on Linux and
// under Wine: scratch and flash files removed at the end of each case, and
// the engine options that point a run at a served box's OpenOCD.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/ocd/served_box.h"
#include "tests/support/patterned_flash.h"

class ocd_fixture : public testing::Test {
protected:
    // A patterned flash file, or a scratch name; both removed when the case ends.
    std::string flash(const std::string& stem) { return scratch.flash(stem); }
    std::string file(const std::string& stem) { return scratch.file(stem); }
    // The engine options, then the box's OpenOCD and the tool's words.
    static std::vector<std::string> ocd_args(const served_box& box, std::vector<std::string> tool_args,
                                             const std::vector<std::string>& engine_args = {})
    {
        tool_args.insert(tool_args.begin(), {"--openocd", "127.0.0.1:" + std::to_string(box.tcl_port), "--"});
        tool_args.insert(tool_args.begin(), engine_args.begin(), engine_args.end());
        return tool_args;
    }
    scratch_files scratch;
};
