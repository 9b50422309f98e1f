// SPDX-License-Identifier: MIT
#include "tests/support/exchange_recorder.h"

#include "link/cable.h"
#include "link/debug_exchange.h"
#include "platform/system.h"

std::vector<recorded_event> recorded_events;
std::vector<recorded_exchange> recorded_exchanges;
std::deque<uint32_t> recorder_read_replies;
uint32_t recorder_default_reply = 0;

void recorder_reset()
{
    recorded_events.clear();
    recorded_exchanges.clear();
    recorder_read_replies.clear();
    recorder_default_reply = 0;
    ir_cache = 0;
    ignore_link_status = 1;
}

uint32_t dbg_exchange(int instruction, uint32_t data, int final_bit)
{
    const int bit = final_bit != 0 ? 1 : 0;
    recorded_exchanges.push_back({instruction, data, bit});
    recorded_events.push_back({recorded_kind::exchange, instruction, data, bit});
    if (instruction != dbg_data || bit != 0)
        return 0;
    if (recorder_read_replies.empty())
        return recorder_default_reply;
    const uint32_t reply = recorder_read_replies.front();
    recorder_read_replies.pop_front();
    return reply;
}

void link_failure()
{
    throw recorder_link_failure{};
}

int tap_clock(int tms, int tdi)
{
    recorded_events.push_back({recorded_kind::clock, tms != 0 ? 1 : 0, 0, tdi != 0 ? 1 : 0});
    return 0;
}

void tap_reset()
{
    for (int n = 0; n < 64; ++n)
        tap_clock(1, 0);
}

void set_reset_lines(int level)
{
    recorded_events.push_back({recorded_kind::reset_lines, level != 0 ? 1 : 0, 0, 0});
}

void platform_sleep(uint32_t ms)
{
    recorded_events.push_back({recorded_kind::sleep, 0, ms, 0});
}

void platform_exit(int status)
{
    throw recorder_exit{status};
}
