// SPDX-License-Identifier: MIT
#include "ocd/svf_text.h"

#include <cstdio>

#include "link/debug_exchange.h"

namespace {

constexpr uint64_t status_bit = uint64_t{1} << 32;

void add_line(svf_text& out, const char* line, long step)
{
    out.text += line;
    out.text += '\n';
    out.step_of_line.push_back(step);
}

} // namespace

// Every data scan gives TDO, so that the player keeps the last MASK given
// (a scan without TDO would clear it); MASK is written when it changes.
svf_text svf_of(const std::vector<svf_step>& steps)
{
    svf_text out;
    out.text.reserve(steps.size() * 40);
    // The player's own defaults, said once: scans end in Run-Test/Idle.
    add_line(out, "ENDIR IDLE;", -1);
    add_line(out, "ENDDR IDLE;", -1);
    bool mask_given = false;
    uint64_t last_mask = 0;
    uint8_t ir = ir_none;
    char line[96];
    for (size_t i = 0; i < steps.size(); ++i) {
        const svf_step& s = steps[i];
        if (s.settle_clocks != 0) {
            std::snprintf(line, sizeof line, "RUNTEST %u TCK;", static_cast<unsigned>(s.settle_clocks));
            add_line(out, line, -1);
        }
        if (instruction_scan_needed(ir, s.ex.instruction)) {
            std::snprintf(line, sizeof line, "SIR 7 TDI (%02x);", static_cast<unsigned>(s.ex.instruction & 0x7F));
            add_line(out, line, -1);
        }
        const uint64_t tdi = (s.ex.final_bit ? status_bit : 0) | s.ex.data;
        const uint64_t mask = (s.status_checked ? status_bit : 0) | s.ex.expect.mask;
        const uint64_t tdo = s.ex.expect.value & s.ex.expect.mask;
        const auto u = [](uint64_t v) { return static_cast<unsigned long long>(v); };
        if (!mask_given || mask != last_mask)
            std::snprintf(line, sizeof line, "SDR 33 TDI (%llx) TDO (%llx) MASK (%llx);", u(tdi), u(tdo), u(mask));
        else
            std::snprintf(line, sizeof line, "SDR 33 TDI (%llx) TDO (%llx);", u(tdi), u(tdo));
        mask_given = true;
        last_mask = mask;
        add_line(out, line, static_cast<long>(i));
    }
    return out;
}
