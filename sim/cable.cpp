// SPDX-License-Identifier: MIT
#include "sim/cable.h"

#include <limits>

#include "sim/clock.h"
#include "sim/faults.h"

namespace sim {

cable_state cable;

namespace {

// The byte the PC wrote (the box may see another TCK level through
// slow-target) and the slow target's TCK filter.
uint8_t pc_data = 0;
uint8_t filter_last = 0;
uint8_t filter_tck = 0;
int64_t filter_held = std::numeric_limits<int64_t>::max();

bool cable_pulled()
{
    return faults.cable_pull >= 0 && clock_port_accesses > static_cast<uint64_t>(faults.cable_pull);
}

// A target too slow for short half periods: it sees TCK change only once the
// new level has lasted slow_target port writes.
uint8_t slow_target_view(uint8_t data)
{
    if (((data ^ filter_last) & cable_tck) != 0)
        filter_held = 1;
    else if (filter_held < std::numeric_limits<int64_t>::max())
        ++filter_held;
    filter_last = data;
    if (filter_held >= faults.slow_target)
        filter_tck = data & cable_tck;
    return static_cast<uint8_t>((data & ~cable_tck) | filter_tck);
}

} // namespace

void cable_power_on()
{
    cable = cable_state{};
    pc_data = cable.data;
    filter_last = cable.data;
    filter_tck = cable.data & cable_tck;
    filter_held = std::numeric_limits<int64_t>::max();
}

uint64_t cable_slow_after()
{
    if (faults.tdo_stuck_0 || faults.tdo_stuck_1 || faults.slow_target > 1)
        return 0;
    return faults.cable_pull >= 0 ? static_cast<uint64_t>(faults.cable_pull) : std::numeric_limits<uint64_t>::max();
}

void cable_drive_faulty(uint8_t data)
{
    pc_data = data;
    if (!cable_pulled())
        cable_drive(faults.slow_target > 1 ? slow_target_view(data) : data);
}

bool cable_line_tdo()
{
    if (cable_pulled())
        return true; // floats high
    if (faults.tdo_stuck_0)
        return false;
    if (faults.tdo_stuck_1)
        return true;
    return tap.tdo;
}

cable_levels cable_pc_levels()
{
    return {(pc_data & cable_tck) != 0, (pc_data & cable_tms) != 0, (pc_data & cable_tdi) != 0, cable_line_tdo(),
        !cable_reset_asserted(pc_data)};
}

// The fast path keeps no copy of the PC's byte: the box saw exactly that byte
// unless the cable is off or the target filters TCK (both always slow).
void cable_sync_pc_data()
{
    if (!cable_pulled() && faults.slow_target <= 1)
        pc_data = cable.data;
}

} // namespace sim
