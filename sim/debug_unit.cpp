// SPDX-License-Identifier: MIT
#include "sim/debug_unit.h"

#include "sim/box.h"
#include "sim/core.h"
#include "sim/faults.h"
#include "sim/trace.h"

namespace sim {

debug_unit_state debug_unit;

namespace {

void enter(core_mode mode)
{
    debug_unit.mode = mode;
    if (mode == core_mode::running)
        debug_unit.ran_since_reset_line = true;
    debug_unit.own_code_modelled = mode == core_mode::running && faults.tap_reset_releases_stop;
}

// What the core does as it leaves reset, by the control word in force.
core_mode mode_after_reset()
{
    if (faults.never_halted)
        return core_mode::running;
    return (debug_unit.control & (control_stop | control_halt_on_reset)) != 0 ? core_mode::stopped : core_mode::running;
}

void write_control(uint32_t word)
{
    debug_unit.control = word;
    if ((word & control_reset_mask) != 0) {
        box_system_reset();
        enter(debug_unit.reset_asserted ? core_mode::held_in_reset : mode_after_reset());
    }
    if (debug_unit.mode == core_mode::held_in_reset || faults.never_halted)
        return;
    enter((word & control_stop) != 0 ? core_mode::stopped : core_mode::running);
}

void execute(uint32_t word)
{
    if (debug_unit.mode != core_mode::stopped) {
        debug_unit.failed = true;
        return;
    }
    if (!core_execute(word))
        debug_unit.failed = true;
}

// A brown-out or a watchdog: the whole box restarts and the core runs from flash.
void box_resets_itself()
{
    box_system_reset();
    debug_unit.control = 0;
    debug_unit.failed = false;
    enter(debug_unit.reset_asserted ? core_mode::held_in_reset : core_mode::running);
}

} // namespace

void debug_power_on(bool reset_asserted)
{
    debug_unit = debug_unit_state{};
    debug_unit.reset_asserted = reset_asserted;
    enter(reset_asserted ? core_mode::held_in_reset : core_mode::running);
}

uint64_t debug_capture()
{
    if (!debug_unit.status_error_shown && fault_hits(faults.status_error, debug_unit.exchanges)) {
        debug_unit.failed = true;
        debug_unit.status_error_shown = true;
    }
    const uint64_t scan = core_ddr() | (static_cast<uint64_t>(debug_unit.failed) << 32);
    debug_unit.failed = false;
    return scan;
}

void debug_update(tap_register reg, uint8_t instruction, uint64_t scan, uint64_t captured)
{
    const uint64_t index = debug_unit.exchanges++;
    const uint32_t data = static_cast<uint32_t>(scan);
    const bool final_bit = ((scan >> 32) & 1) != 0;
    if (trace_exchanges_on)
        trace_exchange({instruction, data, static_cast<uint32_t>(captured), final_bit, ((captured >> 32) & 1) != 0});
    if (fault_hits(faults.box_reset, index)) {
        box_resets_itself();
        return;
    }
    if (!final_bit)
        return;
    switch (reg) {
    case tap_register::debug_data:
        core_set_ddr(data);
        break;
    case tap_register::debug_execute:
        execute(data);
        break;
    case tap_register::debug_control:
        write_control(data);
        break;
    case tap_register::bypass:
        break;
    }
}

void debug_tap_reset()
{
    debug_unit.control = 0;
    debug_unit.failed = false;
    if (faults.tap_reset_releases_stop && debug_unit.mode == core_mode::stopped)
        enter(core_mode::running);
}

void debug_reset_lines(bool asserted)
{
    if (asserted == debug_unit.reset_asserted)
        return;
    debug_unit.reset_asserted = asserted;
    if (asserted)
        debug_unit.ran_since_reset_line = false;
    enter(asserted ? core_mode::held_in_reset : mode_after_reset());
}

} // namespace sim
