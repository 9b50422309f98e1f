// SPDX-License-Identifier: MIT
// One debug exchange with the core's JTAG debug port: an instruction scan when
// the instruction changes, then a 33-bit data scan, Run-Test/Idle to Run-Test/Idle.
#pragma once

#include <cstdint>

#include "link/exchange_state.h"

constexpr int dbg_control = 0x2C; // debug control word
constexpr int dbg_execute = 0x3C; // the halted core executes the data word
constexpr int dbg_data = 0x5C;    // debug data register (SPR 1011 on the core side)

uint32_t dbg_exchange(int instruction, uint32_t data, int final_bit);

// Prints the communication-failed message and ends the process with status -1.
[[noreturn]] void link_failure();
inline constexpr const char* link_failure_message =
    "\nCommunication with box FAILED. Retry after enlarge time out value with -t option\n";

// Every target operation (a register write, a store, a flash bus cycle, a
// control-register write) brackets its exchanges; operations nest. When the
// outermost one ends, the link gets link_batch_boundary: a link that carries
// exchanges in batches sends one operation per batch, so that nothing runs
// far past a failed exchange.
void dbg_operation_begin();
void dbg_operation_end();

// The operation that ends next goes out with the one after it (a word program
// with its first poll).
void dbg_operation_joins_next();

// Chosen with the link: the parallel port sends every exchange at once and
// does nothing here.
void link_batch_boundary();

// Brackets a scope as one target operation.
struct dbg_operation {
    dbg_operation() { dbg_operation_begin(); }
    ~dbg_operation() { dbg_operation_end(); }
    dbg_operation(const dbg_operation&) = delete;
    dbg_operation& operator=(const dbg_operation&) = delete;
};
