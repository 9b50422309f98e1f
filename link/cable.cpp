// SPDX-License-Identifier: MIT
#include "link/cable.h"

#include "link/debug_exchange.h"
#include "link/port.h"

uint8_t port_shadow = 0;

namespace {

constexpr int tap_reset_clocks = 64;

// Data-register bits of the cable.
constexpr uint8_t line_tms = 0x02;
constexpr uint8_t line_tck = 0x04;
constexpr uint8_t line_tdi = 0x08;
constexpr uint8_t line_held_high = 0x10;       // forced on in every byte written
constexpr uint8_t lines_reset_group = 0xE1;    // bits 0, 5, 6, 7 switch together
constexpr uint8_t lines_jtag = line_tms | line_tck | line_tdi;

// Status-register bit 7 carries TDO inverted.
constexpr uint8_t status_tdo_inverted = 0x80;

} // namespace

int tap_clock(int tms, int tdi)
{
    // Read once: the two halves of one clock always have the same length.
    const int32_t repeats = clock_delay;

    uint8_t b = port_shadow & (lines_reset_group | line_held_high);
    if (tms != 0)
        b |= line_tms;
    if (tdi != 0)
        b |= line_tdi;

    // Falling edge: TMS and TDI change together with TCK going low.
    for (int32_t i = 0; i < repeats; ++i)
        port_write(b | line_held_high);

    // Rising edge: the target samples TMS and TDI, held stable for a whole half.
    b |= line_tck;
    port_shadow = b;
    for (int32_t i = 0; i < repeats; ++i)
        port_write(b | line_held_high);

    return (port_read() & status_tdo_inverted) == 0 ? 1 : 0;
}

void set_reset_lines(int level)
{
    // One write: TMS, TCK and TDI keep their levels, so there is no TCK edge.
    if (level == 0) {
        port_shadow &= lines_jtag;
        port_write(port_shadow | line_held_high);
    } else {
        port_shadow |= lines_reset_group | line_held_high;
        port_write(port_shadow);
    }
}

void tap_reset()
{
    for (int n = 0; n < tap_reset_clocks; ++n)
        tap_clock(1, 0);
}
