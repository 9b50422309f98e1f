// SPDX-License-Identifier: MIT
#include "sim/events.h"

#include "sim/clock.h"
#include "sim/debug_unit.h"

namespace sim {

namespace detail {
bool events_on = false;
bool milestone_seen[milestone_count] = {};
} // namespace detail

namespace {
std::vector<event> log;
uint64_t milestone_ns[milestone_count] = {};
bool programmed_since_reset = false;
} // namespace

void events_record(bool on)
{
    detail::events_on = on;
}

bool events_recording()
{
    return detail::events_on;
}

const std::vector<event>& events()
{
    return log;
}

void events_clear()
{
    log.clear();
}

void detail::events_push(event_kind kind, uint32_t number, uint32_t value, uint8_t width)
{
    // Everything the core does happens inside the Update-DR that counted its exchange.
    log.push_back(event{kind, width, number, value, debug_unit.exchanges - 1});
}

void detail::milestone_mark(milestone m)
{
    const auto i = static_cast<unsigned>(m);
    milestone_seen[i] = true;
    milestone_ns[i] = now_ns();
}

// The verify starts where the chip returns to read mode after a program; a
// later program moves that mark on.
void flash_activity_note(flash_activity a)
{
    switch (a) {
    case flash_activity::reset:
        programmed_since_reset = false;
        break;
    case flash_activity::erase_started:
        milestone_note(milestone::first_erase_command);
        break;
    case flash_activity::program_started:
        programmed_since_reset = true;
        milestone_note(milestone::first_program);
        milestone_rearm(milestone::read_after_program);
        break;
    case flash_activity::read_mode:
        if (programmed_since_reset)
            milestone_note(milestone::read_after_program);
        break;
    }
}

bool milestone_time(milestone m, uint64_t& ns)
{
    const auto i = static_cast<unsigned>(m);
    ns = milestone_ns[i];
    return detail::milestone_seen[i];
}

void milestones_clear()
{
    for (unsigned i = 0; i < milestone_count; ++i) {
        detail::milestone_seen[i] = false;
        milestone_ns[i] = 0;
    }
}

} // namespace sim
