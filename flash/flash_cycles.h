// SPDX-License-Identifier: MIT
// The bus cycles of the flash steps as plain values, each with what a right
// answer shows: the word-by-word steps run them one by one, vexload-ocd's
// batches queue the same cycles in OpenOCD.
#pragma once

#include <array>
#include <cstdint>

#include "board/board_init.h"
#include "flash/commands.h"
#include "flash/data_polling.h"
#include "target/bus_cycle.h"

// The unlock-bypass program cycle pair of word at address: one 32-bit store
// at address - 2 that the 16-bit bus carries as two cycles in ascending
// order, the bypass program command (the chip takes it at any address), then
// the word.
constexpr bus_cycle program_pair_cycle(uint32_t address, uint16_t word)
{
    return store32_cycle(address - 2, uint32_t{command_bypass_program} << 16 | word);
}

// A data-polling read of word at address: done once DQ7 reads the word's own.
constexpr bus_cycle program_poll_cycle(uint32_t address, uint16_t word)
{
    return load16_cycle(address, {status_dq7, word});
}

// A read of the flash at address that should find word.
constexpr bus_cycle word_check_cycle(uint32_t address, uint16_t word)
{
    return load16_cycle(address, {0xFFFF, word});
}

// The six command cycles of a sector erase.
inline std::array<bus_cycle, 6> sector_erase_cycles(uint32_t sector)
{
    return {store16_cycle(flash_base + unlock_address_1, command_unlock_1),
            store16_cycle(flash_base + unlock_address_2, command_unlock_2),
            store16_cycle(flash_base + unlock_address_1, command_erase_setup),
            store16_cycle(flash_base + unlock_address_1, command_unlock_1),
            store16_cycle(flash_base + unlock_address_2, command_unlock_2),
            store16_cycle(sector, command_sector_erase)};
}
