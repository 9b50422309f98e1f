// SPDX-License-Identifier: MIT
// Read-back of the download area against the image.
#pragma once

#include <cstdint>

// 0 when every word matches; -1 at the first mismatch (after its message).
int flash_verify(int32_t model_code);
