// SPDX-License-Identifier: MIT
// vexload-ocd's loops of the flash steps (flash/word_loops.h): batches queued
// inside OpenOCD, and the erase's wait repeated there.
#pragma once

#include <cstdint>

// The pause between two reads of a sector being erased (--erase-poll-ms).
extern uint32_t erase_poll_ms;
