// SPDX-License-Identifier: MIT
#include "target/reset_and_halt.h"

#include <cstdint>

#include "link/debug_exchange.h"
#include "platform/system.h"
#include "target/transactions.h"

namespace {

constexpr uint32_t settle_ms = 100;

} // namespace

void reset_and_halt()
{
    set_reset_lines(0);
    tap_reset();
    platform_sleep(settle_ms);
    dbg_exchange(dbg_control, control_halt_on_reset, 1);
    set_reset_lines(1);
    platform_sleep(settle_ms);
    dbg_exchange(dbg_control, control_stay_halted, 1);
}
