// SPDX-License-Identifier: MIT
// Run-time loading of a shared library, and the one message box.
#pragma once

using module_handle = void*;

// Loads a library by file name from the tool's own directory (and the
// install's library directory), never from the current directory. nullptr on failure.
module_handle module_load(const char* file_name);

// The exported entry point of that name, or nullptr.
void* module_symbol(module_handle module, const char* name);

void module_free(module_handle module);

// A modal message with a single OK button; returns once it is closed.
void message_box(const char* text);
