// SPDX-License-Identifier: MIT
// Whether the flash holds the image of this run's model where the box starts it.
#pragma once

bool image_in_flash();
