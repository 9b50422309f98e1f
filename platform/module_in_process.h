// SPDX-License-Identifier: MIT
// Library loading for a program that carries its port-I/O library inside
// itself: "WinIo.dll" is found in the process, never on disk, and its entry
// points are the ones the program gives.
#pragma once

#include "platform/port_io_library.h"

// Given by the program: its library as it is at the moment of loading,
// nullptr for an entry point it lacks; nullptr while the program has none.
const winio_entry_points* in_process_library();

// The physical-memory entry points of a carried library that has none to
// lend: every mapping, read and write is refused.
uint8_t* WINIO_API no_phys_map(uint8_t* phys_addr, uint32_t phys_size, void** handle);
bool WINIO_API no_phys_unmap(void* handle, uint8_t* lin_addr);
bool WINIO_API no_phys_get(uint32_t* phys_addr, uint32_t* value);
bool WINIO_API no_phys_set(uint32_t* phys_addr, uint32_t value);
