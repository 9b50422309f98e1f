// SPDX-License-Identifier: MIT
// A fresh virtual box with the core taken under debug control, as a run
// begins: power on, reset and halt, then link status errors become fatal.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "link/cable.h"
#include "link/debug_exchange.h"
#include "sim/box.h"
#include "sim/faults.h"
#include "target/link_test.h"

// fault: a box fault name such as "bad-adder", or nullptr for a sound box.
inline void start_box_session(const char* fault = nullptr)
{
    sim::faults = sim::fault_set{};
    if (fault != nullptr) {
        std::string error;
        ASSERT_TRUE(sim::fault_apply(fault, error)) << error;
    }
    sim::box_power_on();
    clock_delay = 2;
    port_shadow = 0;
    ir_cache = 0;
    ignore_link_status = 1;
    reset_and_halt();
    ignore_link_status = 0;
}
