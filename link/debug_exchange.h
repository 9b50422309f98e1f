// SPDX-License-Identifier: MIT
// The one seam between the tool's target operations and the box's debug
// port: the debug exchange, the end of a run on a broken link, the box's
// reset group and the TAP reset. Which implementation a program gets is
// decided when it is linked, never per call:
//   vexload, vexload-sim  the cable (link/debug_exchange.cpp, link/cable.cpp),
//                         bit by bit on the port seam (link/port.h): the
//                         hardware port, or the virtual box
//   vexload-ocd           OpenOCD's Tcl server (ocd/exchange_ocd.cpp), which
//                         owns the cable
//   tests of the layers   a recorder (tests/support/exchange_recorder.cpp)
//   above the link
#pragma once

#include <cstdint>

#include "link/exchange_state.h"

constexpr int dbg_control = 0x2C; // debug control word
constexpr int dbg_execute = 0x3C; // the halted core executes the data word
constexpr int dbg_data = 0x5C;    // debug data register (SPR 1011 on the core side)

// Whether an exchange of instruction must scan it first, the instruction
// register holding held (ir_cache on the cable); held is updated. The control
// instruction is never trusted to stay selected: the exchange after it
// always scans its own.
inline bool instruction_scan_needed(uint8_t& held, int instruction)
{
    if (instruction == held)
        return false;
    held = static_cast<uint8_t>(instruction);
    if (held == dbg_control)
        held = ir_none;
    return true;
}

// One exchange: an instruction scan when the instruction changes, then a
// 33-bit data scan, Run-Test/Idle to Run-Test/Idle; the 32 bits shifted out.
// A set status bit ends the run (link_failure) unless ignore_link_status.
uint32_t dbg_exchange(int instruction, uint32_t data, int final_bit);

// Prints the communication-failed message and ends the process with status -1.
[[noreturn]] void link_failure();
inline constexpr const char* link_failure_message =
    "\nCommunication with box FAILED. Retry after enlarge time out value with -t option\n";

// Reset group low (level 0: the box held in reset) or high (any other level).
void set_reset_lines(int level);

// The TAP to Test-Logic-Reset from any state.
void tap_reset();
