// SPDX-License-Identifier: MIT
// A fresh virtual box with the core taken under debug control, as a run
// begins: power on, reset and halt, then link status errors become fatal.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "sim/faults.h"
#include "tests/support/halted_box.h"

// fault: a box fault name such as "bad-adder", or nullptr for a sound box.
inline void start_box_session(const char* fault = nullptr)
{
    sim::faults = sim::fault_set{};
    if (fault != nullptr) {
        std::string error;
        ASSERT_TRUE(sim::fault_apply(fault, error)) << error;
    }
    power_on_and_halt();
}
