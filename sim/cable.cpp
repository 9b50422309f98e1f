// SPDX-License-Identifier: MIT
#include "sim/cable.h"

#include "sim/debug_unit.h"

namespace sim {

cable_state cable;

void cable_power_on()
{
    cable = cable_state{};
}

void cable_reset_change(uint8_t data)
{
    debug_reset_lines(cable_reset_asserted(data));
}

} // namespace sim
