// SPDX-License-Identifier: MIT
// Binding of the port-I/O library "WinIo.dll": loaded once, by the port seam at
// the process's first port access, eight entry points resolved by name,
// InitializeWinIo called once, released at process exit.
#pragma once

#include <cstdint>

#include "platform/module.h"

#if defined(_WIN32)
#define WINIO_API __stdcall
#else
#define WINIO_API
#endif

// The library's entry points, with its classic signatures.
using winio_initialize_fn = bool(WINIO_API*)();
using winio_shutdown_fn = void(WINIO_API*)();
using winio_get_port_fn = bool(WINIO_API*)(uint16_t port, uint32_t* value, uint8_t size);
using winio_set_port_fn = bool(WINIO_API*)(uint16_t port, uint32_t value, uint8_t size);
using winio_map_fn = uint8_t*(WINIO_API*)(uint8_t* phys_addr, uint32_t phys_size, void** handle);
using winio_unmap_fn = bool(WINIO_API*)(void* handle, uint8_t* lin_addr);
using winio_get_phys_fn = bool(WINIO_API*)(uint32_t* phys_addr, uint32_t* value);
using winio_set_phys_fn = bool(WINIO_API*)(uint32_t* phys_addr, uint32_t value);
// Optional: what the library was refused or what failed, nullptr while nothing was.
using winio_error_text_fn = const char*(WINIO_API*)();

// The eight entry points every port-I/O library has.
struct winio_entry_points {
    winio_initialize_fn InitializeWinIo;
    winio_shutdown_fn ShutdownWinIo;
    winio_get_port_fn GetPortVal;
    winio_set_port_fn SetPortVal;
    winio_map_fn MapPhysToLin;
    winio_unmap_fn UnmapPhysicalMemory;
    winio_get_phys_fn GetPhysLong;
    winio_set_phys_fn SetPhysLong;
};

// Calls step(name, field) for each entry point in the library's order while
// step returns true; true when it did for all eight.
template <typename entry_points, typename step_fn>
bool winio_each_entry(entry_points& e, step_fn step)
{
    return step("InitializeWinIo", e.InitializeWinIo) && step("ShutdownWinIo", e.ShutdownWinIo)
        && step("GetPortVal", e.GetPortVal) && step("SetPortVal", e.SetPortVal)
        && step("MapPhysToLin", e.MapPhysToLin) && step("UnmapPhysicalMemory", e.UnmapPhysicalMemory)
        && step("GetPhysLong", e.GetPhysLong) && step("SetPhysLong", e.SetPhysLong);
}

class port_io_library : public winio_entry_points {
public:
    port_io_library();
    virtual ~port_io_library();
    port_io_library(const port_io_library&) = delete;
    port_io_library& operator=(const port_io_library&) = delete;

    // true: library loaded, all eight entry points resolved, InitializeWinIo called.
    // WinIoErrorText is looked up after them and may be missing.
    bool load();
    // load, unless one was already tried in this process: the port seam's
    // first access, which a program that loads the library itself leaves be.
    void load_once();
    // Releases the library if it is loaded.
    void unload();

    module_handle module;
    winio_error_text_fn WinIoErrorText;

private:
    bool load_tried;
};

extern port_io_library port_io;
