// SPDX-License-Identifier: MIT
// Which board family each model code runs (PAL and NTSC of a model share one):
// zorvan50 (Z), pellox (P), pellox-max (X), quilby90s (Q).
#pragma once

#include <cstdint>

struct board_model {
    int32_t model_code;
    char family;
};

inline constexpr board_model board_models[] = {
    {0, 'Z'}, {1, 'Z'}, {3, 'Q'}, {4, 'P'}, {5, 'P'}, {6, 'X'},
    {10000, 'Z'}, {10001, 'Z'}, {10003, 'Q'}, {10004, 'P'}, {10005, 'P'},
};
