// SPDX-License-Identifier: MIT
// The JTAG cable on the PC's parallel port. Data register (0x378) bits:
// 0, 5, 6, 7 the box's reset group (active low: all four low holds the box in
// reset; the TAP is not reset by them), 1 TMS, 2 TCK, 3 TDI, 4 not connected.
// Status register (0x379): bit 7 is TDO inverted; the other bits read as an
// idle printer port with nothing to say (bits 3-6 high, 0-2 low).
#pragma once

#include <cstdint>

#include "sim/tap.h"
#include "sim/trace.h"

namespace sim {

// Data register lines, as masks.
enum cable_line : uint8_t {
    cable_tms = 0x02,
    cable_tck = 0x04,
    cable_tdi = 0x08,
    cable_reset_group = 0xE1,
};
constexpr uint8_t status_idle = 0x78;
constexpr uint8_t status_tdo_inverted = 0x80;

struct cable_state {
    uint8_t data = 0x00; // the data register as the box last saw it
};

extern cable_state cable;

void cable_power_on();

// The reset group changed level: the box's reset wiring (sim/box.cpp).
void cable_reset_change(uint8_t data);

// A byte reaches the box: TCK edges step the TAP, the reset group drives the box's reset.
inline void cable_drive(uint8_t data)
{
    const uint8_t changed = data ^ cable.data;
    if (changed == 0)
        return;
    cable.data = data;
    if ((changed & cable_tck) != 0) {
        if ((data & cable_tck) != 0)
            tap_rising_edge((data & cable_tms) != 0, (data & cable_tdi) != 0);
        else
            tap_falling_edge();
    }
    if ((changed & cable_reset_group) != 0)
        cable_reset_change(data);
}

inline bool cable_reset_asserted(uint8_t data)
{
    return (data & cable_reset_group) == 0;
}

// The status register for a TDO level on the line.
inline uint8_t cable_status(bool tdo)
{
    return tdo ? status_idle : static_cast<uint8_t>(status_idle | status_tdo_inverted);
}

// A faulty cable or a slow target (tdo-stuck-0/1, cable-pull, slow-target):
// what the box sees of the PC's bytes and what the PC reads back. These take
// the port's slow path; the fast path is cable_drive and cable_status.

// The port access after which every access takes the slow path for the
// cable's faults: 0 (a stuck line, a slow target), the access of a cable pull,
// or UINT64_MAX (none).
uint64_t cable_slow_after();

// The PC's byte through the cable: lost once the cable is off, TCK filtered
// by a slow target.
void cable_drive_faulty(uint8_t data);

// The TDO level the PC reads.
bool cable_line_tdo();

// The signals at the PC's end of the cable.
cable_levels cable_pc_levels();

// Takes the byte the box saw as the PC's, where the two cannot differ (before a trace starts).
void cable_sync_pc_data();

} // namespace sim
