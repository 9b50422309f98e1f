// SPDX-License-Identifier: MIT
#include "target/reset_and_halt.h"

#include <cstdint>

#include "link/cable.h"
#include "link/debug_exchange.h"
#include "platform/system.h"
#include "target/transactions.h"

namespace {

constexpr uint32_t control_in_reset = 0xB8000000u;
constexpr uint32_t control_running = 0x80000000u;
constexpr uint32_t settle_ms = 100;

} // namespace

void reset_and_halt()
{
    set_reset_lines(0);
    tap_reset();
    platform_sleep(settle_ms);
    dbg_exchange(dbg_control, control_in_reset, 1);
    link_batch_boundary();
    set_reset_lines(1);
    platform_sleep(settle_ms);
    dbg_exchange(dbg_control, control_running, 1);
    link_batch_boundary();
}
