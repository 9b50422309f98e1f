// SPDX-License-Identifier: MIT
#include "app/models.h"

namespace {

// Letter case is folded for ASCII only, whatever the locale says.
bool equal_ignoring_case(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a);
        unsigned char y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
        if (x == '\0')
            return true;
    }
}

} // namespace

int32_t model_index_of(const char* name)
{
    for (int32_t row = 0; row < model_count; ++row)
        if (equal_ignoring_case(name, model_rows[row].name))
            return row;
    return -1;
}

int32_t video_offset_of(const char* format)
{
    return equal_ignoring_case(format, "ntsc") ? video_offset_ntsc : video_offset_pal;
}

const char* board_message_of(int32_t model_code)
{
    return model_board_message(model_code);
}
