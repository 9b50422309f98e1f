#include "sim/events.h"

namespace sim {

namespace detail {
bool events_on = false;
}

namespace {
std::vector<event> log;
}

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
    log.push_back(event{kind, width, number, value});
}

} // namespace sim
