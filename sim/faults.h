// SPDX-License-Identifier: MIT
// Named, reproducible faults of the virtual box, set from --fault NAME[=N].
#pragma once

#include <cstdint>
#include <string>

namespace sim {

struct fault_set {
    // cable and TAP
    bool tdo_stuck_0 = false;
    bool tdo_stuck_1 = false;
    int64_t cable_pull = -1;  // the cable comes off after N port accesses (TDO floats high)
    int64_t slow_target = 0;  // TCK half periods shorter than N port writes are missed
    // debug unit and core
    bool no_execute = false;  // the debug data register works, the core executes nothing
    bool bad_adder = false;   // the core's add gives a wrong sum
    bool never_halted = false; // the control word does not halt the core
    int64_t status_error = -1; // exchange N (from 0) reports a failed operation (the status bit) once
    int64_t box_reset = -1;    // the box resets itself at exchange N (brown-out, watchdog): core, bus and
                               // flash state machine reset, the debug unit's control word lost, the core
                               // runs its own code; exchange N itself is lost
    // Not a fault but a build of the debug unit, set by its own box option
    // (--tap-reset-releases-stop): Test-Logic-Reset lets a stopped core run.
    bool tap_reset_releases_stop = false;
    // flash
    bool no_chip = false;          // the bus reads 0xFFFF in the flash window
    int64_t erase_stuck = -1;      // sector K never finishes erasing
    int64_t program_fail = -1;     // the I-th programmed word has a bit stuck at 0
    int64_t slow_program = -1;     // the I-th programmed word needs more than 100 polls
    int64_t verify_mismatch = -1;  // word I reads back wrong once the array is read after programming
};

extern fault_set faults;

// The faults in table order, each with its number's name: "tdo-stuck-0, ..., cable-pull=N, ..."
std::string fault_list();

// Whether a counted fault (-1: not set) falls on the index-th event it counts.
inline bool fault_hits(int64_t fault, uint64_t index)
{
    return fault >= 0 && static_cast<uint64_t>(fault) == index;
}

// Applies one "NAME" or "NAME=N"; false (with a reason in error) for an unknown name or bad number.
bool fault_apply(const std::string& text, std::string& error);

} // namespace sim
