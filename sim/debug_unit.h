// SPDX-License-Identifier: MIT
// The core's JTAG debug unit: the control word, the stop/run state of the
// core, the path to the debug data register (SPR 1011) and the status bit of
// an operation that could not be carried out.
//
// Control word, bit 31 the most significant (bit 0 in the core's manuals):
//   bit 31      STOP  stop the core (debug mode) / keep it stopped; 0 lets a stopped core run
//   bit 30      -     single step in the manuals; not modelled, ignored
//   bits 29:28  RST   reset request: 00 none, 01 core, 10 chip, 11 system; any
//                     non-zero value pulses reset into the core, its bus and
//                     the flash chip's state machine (the box wires them together)
//   bit 27      HOR   halt on reset: the core stops as it leaves reset
//   bits 26:0   -     ignored
// So STOP|RST=11|HOR written while the reset group holds the box in reset
// makes the core stop as reset is released, and STOP alone keeps it stopped.
//
// Status bit: an operation that fails at Update-DR (an instruction while the
// core is not stopped, or one the core cannot carry out) sets it; the next
// Capture-DR of a debug instruction loads it into bit 32 of the scan and
// clears it. So the exchange after the failed one reports the failure.
//
// Test-Logic-Reset clears the control word; the core keeps its stop through
// it. With --tap-reset-releases-stop the stop is held by the control word's
// STOP bit alone, so the reset lets a stopped core run its own code: the words
// it is given fail (the status bit), that code overwrites its general
// registers (sim/core.h), and a control word with STOP stops it again with
// the registers as the code left them.
//
// Faults (exchanges counted from 0 at their Update-DR, since power-on):
// - status-error=N: the capture of exchange N carries a set status bit, once,
//   as if the operation before it had failed; the box is otherwise unharmed.
// - box-reset=N: the box resets itself at the Update-DR of exchange N, which
//   is lost: core, bus and the flash chip's state machine reset (the array
//   keeps what was written, an embedded operation stops), the control word
//   cleared, and the core runs its own code, so the next instruction fed to
//   it fails.
#pragma once

#include <cstdint>

#include "sim/core.h"
#include "sim/tap.h"

namespace sim {

constexpr uint32_t control_stop = 0x80000000;
constexpr uint32_t control_reset_mask = 0x30000000;
constexpr uint32_t control_halt_on_reset = 0x08000000;

enum class core_mode : uint8_t {
    held_in_reset, // the reset group is low, or a reset request is in progress
    running,       // executing its own code: the debug unit cannot feed it instructions
    stopped,       // in debug mode: executes the words it is given
};

struct debug_unit_state {
    uint32_t control = 0;
    bool failed = false;       // status of the last operation, until the next capture
    bool reset_asserted = true;
    core_mode mode = core_mode::held_in_reset;
    uint64_t exchanges = 0;    // Update-DR of a debug instruction
    bool ran_since_reset_line = false; // the core ran its own code since the reset line last fell
    bool own_code_modelled = false; // running, and its code modelled (tap_reset_releases_stop)
    bool status_error_shown = false;
};

extern debug_unit_state debug_unit;

void debug_power_on(bool reset_asserted);

// Capture-DR of a debug instruction: debug data register in bits 0-31,
// status in bit 32 (then cleared).
uint64_t debug_capture();

// Update-DR: bit 32 of the scan set carries out the operation of the selected
// register; clear, it is a read and nothing happens.
void debug_update(tap_register reg, uint8_t instruction, uint64_t scan, uint64_t captured);

// Test-Logic-Reset: the control word and the status are cleared; the core
// keeps its mode, but for a stopped core with tap_reset_releases_stop.
void debug_tap_reset();

// A rising TCK edge, the n-th since power-on: the box's clock for the code a
// running core runs, where own_code_modelled.
inline void debug_clock(uint64_t n)
{
    if (debug_unit.own_code_modelled) [[unlikely]]
        core_run_own_code(n);
}

// The box's reset line (asserted = the reset group all low): holds the core
// until released, then lets it run or stop as the control word says.
void debug_reset_lines(bool asserted);

} // namespace sim
