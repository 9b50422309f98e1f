// SPDX-License-Identifier: MIT
#include "tests/flash/test_images.h"

#include <map>

#include "board/board_init.h"
#include "images/catalogue.h"

// The flash window, owned here instead of in board/.
uint32_t flash_base = 0;
uint32_t image_offset = 0;

namespace {
std::map<int32_t, std::vector<unsigned char>> image_bytes;
std::map<int32_t, image_entry> entries;
} // namespace

void test_image_set(int32_t model_code, const std::vector<uint16_t>& words)
{
    std::vector<unsigned char>& bytes = image_bytes[model_code];
    bytes.clear();
    for (const uint16_t word : words) {
        bytes.push_back(static_cast<unsigned char>(word & 0xFF));
        bytes.push_back(static_cast<unsigned char>(word >> 8));
    }
    entries[model_code] = {model_code, bytes.data(), static_cast<int32_t>(words.size())};
}

void test_images_clear()
{
    entries.clear();
    image_bytes.clear();
}

const image_entry* select_image(int32_t model_code)
{
    const auto found = entries.find(model_code);
    return found == entries.end() ? nullptr : &found->second;
}
