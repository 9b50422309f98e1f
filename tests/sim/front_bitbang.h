// SPDX-License-Identifier: MIT
// A small JTAG master for the box's tests, built from the cable wiring alone
// (the bit names of sim/cable.h): data register bit 1 TMS, 2 TCK, 3 TDI,
// 0/5/6/7 the reset group; status bit 7 is TDO inverted.
#pragma once

#include <cstdint>

#include "sim/box.h"
#include "sim/cable.h"

namespace front_test {


struct scan_result {
    uint32_t result;
    bool status;
};

struct bitbang {
    uint8_t resets = sim::cable_reset_group; // reset group released
    uint8_t last = 0;
    int half = 1;                // port writes per half period

    void write(uint8_t value)
    {
        last = value;
        sim::box_port_write(value);
    }

    static bool tdo_of(uint8_t status) { return (status & 0x80) == 0; }

    // One TCK period: TMS/TDI set with TCK low, rising edge, then TDO read.
    bool clock(bool tms, bool tdi)
    {
        const uint8_t low = static_cast<uint8_t>(resets | (tms ? sim::cable_tms : 0) | (tdi ? sim::cable_tdi : 0));
        for (int i = 0; i < half; ++i)
            write(low);
        for (int i = 0; i < half; ++i)
            write(static_cast<uint8_t>(low | sim::cable_tck));
        return tdo_of(sim::box_port_read());
    }

    // Reset group low (asserted) or high; TMS, TCK, TDI keep their levels.
    void set_reset(bool asserted)
    {
        resets = asserted ? 0 : sim::cable_reset_group;
        write(static_cast<uint8_t>((last & (sim::cable_tms | sim::cable_tck | sim::cable_tdi)) | resets));
    }

    // From any state to Run-Test/Idle through Test-Logic-Reset.
    void reset_to_idle()
    {
        for (int i = 0; i < 5; ++i)
            clock(true, false);
        clock(false, false);
    }

    // From Run-Test/Idle: shift length bits of value (bit 0 first) through the
    // instruction (ir) or data register and return what came out; back in Run-Test/Idle.
    uint64_t scan(bool ir, uint64_t value, int length)
    {
        clock(true, false); // Select-DR-Scan
        if (ir)
            clock(true, false); // Select-IR-Scan
        clock(false, false);    // Capture
        clock(false, false);    // Shift
        uint64_t out = 0;
        for (int i = 0; i < length; ++i) {
            const bool last_bit = i == length - 1;
            if (clock(last_bit, ((value >> i) & 1) != 0))
                out |= uint64_t{1} << i;
        }
        clock(true, false);  // Update
        clock(false, false); // Run-Test/Idle
        return out;
    }

    uint8_t instruction(uint8_t code) { return static_cast<uint8_t>(scan(true, code, 7)); }

    scan_result exchange(uint8_t code, uint32_t data, bool final_bit)
    {
        instruction(code);
        const uint64_t out = scan(false, data | (uint64_t{final_bit} << 32), 33);
        return {static_cast<uint32_t>(out), ((out >> 32) & 1) != 0};
    }

    // The debug instructions and the words the tests feed the core.
    static constexpr uint8_t control = 0x2C;
    static constexpr uint8_t execute = 0x3C;
    static constexpr uint8_t data = 0x5C;
    static constexpr uint32_t mfspr_r3_ddr = 0x7C73FAA6; // r3 = SPR 1011
    static constexpr uint32_t mtspr_ddr_r3 = 0x7C73FBA6; // SPR 1011 = r3

    // Reset held low while the halt-on-reset control word goes in, then released.
    void halt_core()
    {
        set_reset(true);
        reset_to_idle();
        exchange(control, 0xB8000000, true);
        set_reset(false);
        exchange(control, 0x80000000, true);
    }
};

} // namespace front_test
