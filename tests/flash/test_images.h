// SPDX-License-Identifier: MIT
// A stand-in catalogue for the flash steps' unit tests: the images a test
// puts in, by model_code, stored low byte first like the real ones.
#pragma once

#include <cstdint>
#include <vector>

void test_image_set(int32_t model_code, const std::vector<uint16_t>& words);
void test_images_clear();
