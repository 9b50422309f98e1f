// SPDX-License-Identifier: MIT
// The virtual box just powered on, with the tool's link variables as a run
// starts them; and the same box with the core taken under debug control by
// the tool's own reset and halt (link status errors fatal from then on).
#pragma once

#include "link/cable.h"
#include "link/debug_exchange.h"
#include "sim/box.h"
#include "target/reset_and_halt.h"

inline void power_on_box_and_link()
{
    sim::box_power_on();
    clock_delay = 2;
    port_shadow = 0;
    ir_cache = 0;
}

inline void power_on_and_halt()
{
    power_on_box_and_link();
    ignore_link_status = 1;
    reset_and_halt();
    ignore_link_status = 0;
}
