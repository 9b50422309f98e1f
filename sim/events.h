// SPDX-License-Identifier: MIT
// Ordered log of what the halted core did to the machine: register writes and
// stores, for tests and traces. Off by default; a run of the flash download
// makes some hundred thousand stores, so recording is one flag test when off.
// Also the times at which a run moves from one step to the next, always on.
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
    uint64_t exchange = 0; // the debug exchange that caused it, counted from 0 since power-on
};

// Starts or stops recording; the log is kept either way.
void events_record(bool on);
bool events_recording();

const std::vector<event>& events();
void events_clear();

// What a logic analyser on the box's bus marks to split a programming run
// into its steps: the first time each kind of activity is seen. The marks
// come from the bus and the flash chip alone, whatever drives them.
enum class milestone : uint8_t {
    first_dcr_write,     // the board script starts
    first_flash_access,  // identification starts (any cycle in the flash window)
    first_erase_command, // the erase starts (sector or chip erase accepted)
    first_program,       // the download starts
    read_after_program,  // the verify starts: a reset to read mode after the last program
};
constexpr unsigned milestone_count = 5;

// What the flash chip reports of itself, as its mode and RY/BY# line show it
// on the bus; the marks of the steps are made from these here, not in the chip.
enum class flash_activity : uint8_t {
    reset,           // its state machine reset (power-on, system reset)
    erase_started,   // a sector or chip erase accepted
    program_started, // a word program accepted
    read_mode,       // back in read mode
};

void flash_activity_note(flash_activity a);

// Simulated time of a mark since power-on; false when it has not been seen.
bool milestone_time(milestone m, uint64_t& ns);

// All marks cleared (at power-on).
void milestones_clear();

namespace detail {
extern bool events_on;
extern bool milestone_seen[milestone_count];
void events_push(event_kind kind, uint32_t number, uint32_t value, uint8_t width);
void milestone_mark(milestone m);
} // namespace detail

// Marks m now unless it is marked already: one flag test on the hot paths.
inline void milestone_note(milestone m)
{
    if (!detail::milestone_seen[static_cast<unsigned>(m)]) [[unlikely]]
        detail::milestone_mark(m);
}

// Clears a mark so that the next note moves it (a later program moves the
// end of the download).
inline void milestone_rearm(milestone m)
{
    detail::milestone_seen[static_cast<unsigned>(m)] = false;
}

inline void event_note(event_kind kind, uint32_t number, uint32_t value, uint8_t width = 4)
{
    if (detail::events_on)
        detail::events_push(kind, number, value, width);
    if (kind == event_kind::dcr_write)
        milestone_note(milestone::first_dcr_write);
}

} // namespace sim
