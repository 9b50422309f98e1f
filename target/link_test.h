// SPDX-License-Identifier: MIT
// Taking the core under debug control, and the link and processor tests.
#pragma once

void reset_and_halt();

// 0 when all three tests pass; -1 after printing the failing test's message.
int target_test();
