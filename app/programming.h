// SPDX-License-Identifier: MIT
// The programming steps of a run, from reset and halt to the verdict.
#pragma once

#include <cstdint>

// Status of a run refused before the erase because the build carries placeholder images.
constexpr int32_t status_placeholder_images = 4;

// false (the default): a build with placeholder images stops before the
// erase. Only a program whose box is virtual sets it.
extern bool placeholder_images_allowed;

// Decides the image of model_code and where it goes (flash/image_plan.h),
// once per run and before the erase; -1 after the "Unknown model" or
// does-not-fit message.
int plan_image(int32_t model_code);

// Reset and halt, the link tests, the board script of model_code and the
// chip's identification; false where the run ends there, its message printed.
bool reach_the_flash(int32_t model_code);

// true where the build's images may go into the box; false after the
// refusal's message (placeholder images and a real box).
bool images_fit_a_real_box();

// After the download: the read-back when it is asked for, and the verdict.
void print_verdict(bool verify_requested);

// Every other path that returns gives 0; fatal paths end the process inside the lower layers.
int32_t run_programming(int32_t model_code, bool verify_requested);
