// SPDX-License-Identifier: MIT
// Files a run on the virtual box leaves behind, and the images they should hold.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The number after "label: " in a summary; UINT64_MAX where the line is missing.
uint64_t summary_number(const std::string& err, const std::string& label);

// 16-bit words stored low byte first, as flash files and images are.
std::vector<uint16_t> read_words(const std::string& path);

// A scratch file name that no other test uses; removed by the caller.
std::string scratch_path(const std::string& stem);

// Index of the first word in the 8 MiB flash that differs from the image at
// address (and 0xFFFF elsewhere), or -1 when the flash holds exactly that.
int64_t first_difference(const std::vector<uint16_t>& flash, const std::vector<uint16_t>& image, uint32_t address);

constexpr uint32_t flash_window = 0xFF800000;
// Where the tool puts the image: its last word under the core's reset vector.
constexpr uint32_t download_area = 0xFFFD0000;
constexpr size_t flash_words = 0x400000;
