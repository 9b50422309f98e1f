// SPDX-License-Identifier: MIT
// The link and processor tests.
#pragma once

// 0 when all three tests pass; -1 after printing the failing test's message.
int target_test();
