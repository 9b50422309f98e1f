// SPDX-License-Identifier: MIT
// Taking the core under debug control.
#pragma once

void reset_and_halt();
