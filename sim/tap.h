// SPDX-License-Identifier: MIT
// IEEE 1149.1 test access port of the core: the sixteen-state controller, a
// 7-bit instruction register, the 33-bit debug scan and a 1-bit bypass.
// TMS and TDI are sampled on the rising edge of TCK, TDO changes on the
// falling edge, registers are updated on the falling edge in Update-xR.
#pragma once

#include <cstdint>

namespace sim {

enum class tap_state : uint8_t {
    test_logic_reset,
    run_test_idle,
    select_dr_scan,
    capture_dr,
    shift_dr,
    exit1_dr,
    pause_dr,
    exit2_dr,
    update_dr,
    select_ir_scan,
    capture_ir,
    shift_ir,
    exit1_ir,
    pause_ir,
    exit2_ir,
    update_ir,
};

constexpr int tap_state_count = 16;
constexpr int ir_length = 7;
constexpr uint8_t ir_capture_value = 0x01; // IEEE 1149.1: the two bits nearest TDO read 01
constexpr uint8_t ir_reset_value = 0x7F;   // BYPASS, taken in Test-Logic-Reset
constexpr int debug_scan_length = 33;      // 32 data bits, then the final/status bit

// The data register an instruction selects.
enum class tap_register : uint8_t {
    bypass,
    debug_control,
    debug_execute,
    debug_data,
};

struct tap_machine {
    tap_state state = tap_state::test_logic_reset;
    uint8_t ir = ir_reset_value;       // instruction in force
    uint8_t ir_shift = 0;              // instruction shift stage
    tap_register selected = tap_register::bypass;
    uint8_t dr_length = 1;
    uint64_t dr_shift = 0;             // data shift stage, bit 0 nearest TDO
    uint64_t captured = 0;             // what the last Capture-DR loaded
    bool tdo = true;                   // level on TDO; not driven outside Shift-xR (pull-up)
    uint64_t rising_edges = 0;
    uint64_t tms_high_run = 0;         // rising edges with TMS high in a row, up to now
    uint64_t reset_run = 0;            // TMS-high clocks in a row before Test-Logic-Reset was last left
    uint64_t ir_updates = 0;           // Update-IR: the instruction register loaded
};

extern tap_machine tap;

// Next state for a TMS level, per the IEEE 1149.1 state diagram.
tap_state tap_next(tap_state state, bool tms);

// The register selected by an instruction, decoded by its fields.
tap_register tap_register_of(uint8_t instruction);

const char* tap_state_name(tap_state state);

void tap_power_on();
void tap_rising_edge(bool tms, bool tdi);
void tap_falling_edge();

} // namespace sim
