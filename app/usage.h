// SPDX-License-Identifier: MIT
// The banner and usage text.
#pragma once

void print_usage();
