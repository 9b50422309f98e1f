// SPDX-License-Identifier: MIT
#include "ocd/svf_text.h"

#include <cstdio>

namespace {

constexpr uint64_t status_bit = uint64_t{1} << 32;

void add_line(svf_text& out, const char* line, long scan)
{
    out.text += line;
    out.text += '\n';
    out.scan_of_line.push_back(scan);
}

} // namespace

// Every data scan gives TDO, so that the player keeps the last MASK given
// (a scan without TDO would clear it); MASK is written when it changes.
svf_text svf_of(const std::vector<ocd_scan>& scans)
{
    svf_text out;
    out.text.reserve(scans.size() * 40);
    // The player's own defaults, said once: scans end in Run-Test/Idle, no
    // other device's bits around the box's.
    add_line(out, "ENDIR IDLE;", -1);
    add_line(out, "ENDDR IDLE;", -1);
    bool mask_given = false;
    uint64_t last_mask = 0;
    char line[96];
    for (size_t i = 0; i < scans.size(); ++i) {
        const ocd_scan& s = scans[i];
        const long scan = static_cast<long>(i);
        switch (s.kind) {
        case ocd_scan::instruction:
            std::snprintf(line, sizeof line, "SIR 7 TDI (%02x);", static_cast<unsigned>(s.value & 0x7F));
            break;
        case ocd_scan::idle:
            std::snprintf(line, sizeof line, "RUNTEST %u TCK;", static_cast<unsigned>(s.value));
            break;
        case ocd_scan::data: {
            const uint64_t tdi = (s.final_bit ? status_bit : 0) | s.value;
            const uint64_t mask = (s.status_checked ? status_bit : 0) | s.expect_mask;
            const uint64_t tdo = s.expect_value & s.expect_mask;
            if (!mask_given || mask != last_mask) {
                std::snprintf(line, sizeof line, "SDR 33 TDI (%llx) TDO (%llx) MASK (%llx);",
                              static_cast<unsigned long long>(tdi), static_cast<unsigned long long>(tdo),
                              static_cast<unsigned long long>(mask));
                mask_given = true;
                last_mask = mask;
            } else {
                std::snprintf(line, sizeof line, "SDR 33 TDI (%llx) TDO (%llx);", static_cast<unsigned long long>(tdi),
                              static_cast<unsigned long long>(tdo));
            }
            break;
        }
        }
        add_line(out, line, scan);
    }
    return out;
}
