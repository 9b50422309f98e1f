// SPDX-License-Identifier: MIT
// The embedded bootloader images, one per model_code.
#pragma once

#include <cstdint>
#include <span>

using image_word = uint16_t;

struct image_entry {
    int32_t model_code;
    const unsigned char* bytes; // stored low byte first
    int32_t words;
};

// The image of model_code, or nullptr when the catalogue has none.
const image_entry* select_image(int32_t model_code);

// Every image of the catalogue.
std::span<const image_entry> catalogue_images();

// Word i of an image (bytes 2i low, 2i + 1 high).
inline image_word image_word_at(const image_entry& image, int32_t i)
{
    return static_cast<image_word>(image.bytes[2 * i] | (image.bytes[2 * i + 1] << 8));
}
