// Ordered log of what the halted core did to the machine: register writes and
// stores, for tests and traces. Off by default; a run of the flash download
// makes some hundred thousand stores, so recording is one flag test when off.
#pragma once

#include <cstdint>
#include <vector>

namespace sim {

enum class event_kind : uint8_t {
    dcr_write,   // mtdcr: number = DCR, value = data
    spr_write,   // mtspr: number = SPR as written (before any write-one-to-clear)
    msr_write,   // mtmsr: number = 0
    store,       // stw/sth accepted by the bus: number = address, width 4 or 2
    flash_cycle, // one 16-bit write cycle on the flash bus: number = address
};

struct event {
    event_kind kind;
    uint8_t width; // bytes; 4 for register writes
    uint32_t number;
    uint32_t value;
};

// Starts or stops recording; the log is kept either way.
void events_record(bool on);
bool events_recording();

const std::vector<event>& events();
void events_clear();

namespace detail {
extern bool events_on;
void events_push(event_kind kind, uint32_t number, uint32_t value, uint8_t width);
} // namespace detail

inline void event_note(event_kind kind, uint32_t number, uint32_t value, uint8_t width = 4)
{
    if (detail::events_on)
        detail::events_push(kind, number, value, width);
}

} // namespace sim
