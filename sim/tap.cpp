// SPDX-License-Identifier: MIT
#include "sim/tap.h"

#include "sim/debug_unit.h"

namespace sim {

tap_machine tap;

namespace {

using s = tap_state;

// {next with TMS 0, next with TMS 1}, in the order of tap_state.
constexpr tap_state next_state[tap_state_count][2] = {
    {s::run_test_idle, s::test_logic_reset},  // test_logic_reset
    {s::run_test_idle, s::select_dr_scan},    // run_test_idle
    {s::capture_dr, s::select_ir_scan},       // select_dr_scan
    {s::shift_dr, s::exit1_dr},               // capture_dr
    {s::shift_dr, s::exit1_dr},               // shift_dr
    {s::pause_dr, s::update_dr},              // exit1_dr
    {s::pause_dr, s::exit2_dr},               // pause_dr
    {s::shift_dr, s::update_dr},              // exit2_dr
    {s::run_test_idle, s::select_dr_scan},    // update_dr
    {s::capture_ir, s::test_logic_reset},     // select_ir_scan
    {s::shift_ir, s::exit1_ir},               // capture_ir
    {s::shift_ir, s::exit1_ir},               // shift_ir
    {s::pause_ir, s::update_ir},              // exit1_ir
    {s::pause_ir, s::exit2_ir},               // pause_ir
    {s::shift_ir, s::update_ir},              // exit2_ir
    {s::run_test_idle, s::select_dr_scan},    // update_ir
};

constexpr const char* state_names[tap_state_count] = {
    "Test-Logic-Reset", "Run-Test/Idle", "Select-DR-Scan", "Capture-DR", "Shift-DR", "Exit1-DR",
    "Pause-DR", "Exit2-DR", "Update-DR", "Select-IR-Scan", "Capture-IR", "Shift-IR", "Exit1-IR",
    "Pause-IR", "Exit2-IR", "Update-IR",
};

// Debug instructions: the low four bits 1100 address the debug unit, the high
// three select its register. Every other code selects bypass.
constexpr uint8_t debug_group_mask = 0x0F;
constexpr uint8_t debug_group = 0x0C;

void select_register()
{
    tap.selected = tap_register_of(tap.ir);
    tap.dr_length = tap.selected == tap_register::bypass ? 1 : debug_scan_length;
}

void capture_data()
{
    tap.dr_shift = tap.selected == tap_register::bypass ? 0 : debug_capture();
    tap.captured = tap.dr_shift;
}

} // namespace

tap_state tap_next(tap_state state, bool tms)
{
    return next_state[static_cast<int>(state)][tms ? 1 : 0];
}

tap_register tap_register_of(uint8_t instruction)
{
    if ((instruction & debug_group_mask) != debug_group)
        return tap_register::bypass;
    switch ((instruction >> 4) & 0x7) {
    case 2:
        return tap_register::debug_control;
    case 3:
        return tap_register::debug_execute;
    case 5:
        return tap_register::debug_data;
    default:
        return tap_register::bypass;
    }
}

const char* tap_state_name(tap_state state)
{
    return state_names[static_cast<int>(state)];
}

void tap_power_on()
{
    tap = tap_machine{};
    select_register();
}

void tap_rising_edge(bool tms, bool tdi)
{
    ++tap.rising_edges;
    debug_clock(tap.rising_edges);
    if (tms) {
        ++tap.tms_high_run;
    } else {
        if (tap.state == s::test_logic_reset)
            tap.reset_run = tap.tms_high_run;
        tap.tms_high_run = 0;
    }
    switch (tap.state) {
    case s::capture_dr:
        capture_data();
        break;
    case s::shift_dr:
        tap.dr_shift = (tap.dr_shift >> 1) | (static_cast<uint64_t>(tdi) << (tap.dr_length - 1));
        break;
    case s::capture_ir:
        tap.ir_shift = ir_capture_value;
        break;
    case s::shift_ir:
        tap.ir_shift = static_cast<uint8_t>((tap.ir_shift >> 1) | (static_cast<uint8_t>(tdi) << (ir_length - 1)));
        break;
    default:
        break;
    }
    tap.state = next_state[static_cast<int>(tap.state)][tms ? 1 : 0];
}

void tap_falling_edge()
{
    switch (tap.state) {
    case s::shift_dr:
        tap.tdo = (tap.dr_shift & 1) != 0;
        return;
    case s::shift_ir:
        tap.tdo = (tap.ir_shift & 1) != 0;
        return;
    case s::update_dr:
        if (tap.selected != tap_register::bypass)
            debug_update(tap.selected, tap.ir, tap.dr_shift, tap.captured);
        break;
    case s::update_ir:
        ++tap.ir_updates;
        tap.ir = tap.ir_shift;
        select_register();
        break;
    case s::test_logic_reset:
        tap.ir = ir_reset_value;
        select_register();
        debug_tap_reset();
        break;
    default:
        break;
    }
    tap.tdo = true;
}

} // namespace sim
