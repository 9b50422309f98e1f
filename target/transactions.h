// SPDX-License-Identifier: MIT
// The three forms in which every access to the halted core is written, each
// one debug exchange.
#pragma once

#include <cstdint>

#include "link/debug_exchange.h"

// The debug data register takes value; what is shifted out is of no use.
inline void data_write(uint32_t value)
{
    dbg_exchange(dbg_data, value, 1);
}

// The contents of the debug data register (final bit 0 marks a read).
inline uint32_t data_read()
{
    return dbg_exchange(dbg_data, 0, 0);
}

// The halted core executes word once.
inline void execute(uint32_t word)
{
    dbg_exchange(dbg_execute, word, 1);
}
