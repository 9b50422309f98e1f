#include "app/models.h"


namespace {

struct model_row {
    const char* name;
    const char* pal_message;  // nullptr: refused
    const char* ntsc_message; // nullptr: refused
};

// quilby70s is a known name but has no board; pellox-max exists in PAL only.
const model_row model_table[model_count] = {
    {"zorvan50s", "zorvan50s(PAL) board initialize\n", "zorvan50s(NTSC) board initialize\n"},
    {"zorvan50c", "zorvan50c(PAL) board initialize\n", "zorvan50c(NTSC) board initialize\n"},
    {"quilby70s", nullptr, nullptr},
    {"quilby90s", "quilby90s(PAL) board initialize\n", "quilby90s(NTSC) board initialize\n"},
    {"pellox-s", "pellox-s(PAL) board initialize\n", "pellox-s(NTSC) board initialize\n"},
    {"pellox-c", "pellox-c(PAL) board initialize\n", "pellox-c(NTSC) board initialize\n"},
    {"pellox-max", "pellox-max board initialize\n", nullptr},
};

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
        if (equal_ignoring_case(name, model_table[row].name))
            return row;
    return -1;
}

int32_t video_offset_of(const char* format)
{
    return equal_ignoring_case(format, "ntsc") ? video_offset_ntsc : video_offset_pal;
}

const char* board_message_of(int32_t model_code)
{
    const int32_t offset = model_code >= video_offset_ntsc ? video_offset_ntsc : video_offset_pal;
    const int32_t row = model_code - offset;
    if (row < 0 || row >= model_count)
        return nullptr;
    return offset == video_offset_ntsc ? model_table[row].ntsc_message : model_table[row].pal_message;
}
