// SPDX-License-Identifier: MIT
#include "platform/port_io_library.h"

port_io_library port_io;

namespace {

constexpr const char* library_file_name = "WinIo.dll";

template <typename entry_point>
bool resolve(module_handle module, const char* name, entry_point& field)
{
    field = reinterpret_cast<entry_point>(module_symbol(module, name));
    return field != nullptr;
}

} // namespace

port_io_library::port_io_library()
    : winio_entry_points{}, module(nullptr), WinIoErrorText(nullptr), load_tried(false)
{
}

port_io_library::~port_io_library()
{
    unload();
}

bool port_io_library::load()
{
    // One handle at a time: a second load gives the first one back.
    unload();
    load_tried = true;

    module = module_load(library_file_name);
    if (module == nullptr) {
        message_box("WinIo.dll not found.");
        return false;
    }

    // In this order; the names after the first missing one are not looked up.
    const bool complete = winio_each_entry(static_cast<winio_entry_points&>(*this),
        [this](const char* name, auto& field) { return resolve(module, name, field); });
    if (!complete) {
        unload();
        return false;
    }
    // Not one of the eight: a library without it loads all the same.
    resolve(module, "WinIoErrorText", WinIoErrorText);

    // Its result is not judged here: a refusal shows at the first port access.
    InitializeWinIo();
    return true;
}

void port_io_library::load_once()
{
    if (!load_tried)
        load();
}

void port_io_library::unload()
{
    if (module == nullptr)
        return;
    module_free(module);
    module = nullptr;
    // No entry point may outlive the library it points into.
    static_cast<winio_entry_points&>(*this) = {};
    WinIoErrorText = nullptr;
}
