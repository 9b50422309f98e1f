// SPDX-License-Identifier: MIT
// The flash array kept in a file between runs: 8 MiB, 16-bit words low byte first.
#pragma once

#include <string>

// Loads path into the box's flash array when the file exists; leaves the array
// as it is when it does not. false (with a reason) for a file of another size
// or one that cannot be read.
bool flash_file_load(const std::string& path, std::string& error);

// Saves the array through a temporary file renamed over path, so that a run
// stopped half-way never leaves a torn file behind.
bool flash_file_save(const std::string& path, std::string& error);
