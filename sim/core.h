// The halted PowerPC core as the debug unit sees it.
#pragma once

#include <cstdint>

namespace sim {

// Power-on state: registers cleared, bus and flash reset.
void core_power_on();

// The debug data register, SPR 1011 on the core side.
uint32_t core_ddr();
void core_set_ddr(uint32_t value);

// Executes one instruction word on the halted core. false when the operation
// cannot be carried out (a word the core does not know, a bus error).
bool core_execute(uint32_t word);

} // namespace sim
