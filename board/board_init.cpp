#include "board/board_init.h"

#include <cstdio>

uint32_t flash_base = 0;
uint32_t image_offset = 0;

namespace {

constexpr uint32_t flash_window_base = 0xFF800000u;
constexpr uint32_t download_area_offset = 0x7D0000u;

struct board_row {
    int32_t model_code;
    void (*script)();
};

// PAL and NTSC of a model share a script; pellox-max exists in PAL only.
constexpr board_row board_table[] = {
    {0, init_zorvan50},
    {1, init_zorvan50},
    {3, init_quilby90s},
    {4, init_pellox},
    {5, init_pellox},
    {6, init_pellox_max},
    {10000, init_zorvan50},
    {10001, init_zorvan50},
    {10003, init_quilby90s},
    {10004, init_pellox},
    {10005, init_pellox},
};

} // namespace

int board_init(int32_t model_code)
{
    if (board_message != nullptr)
        std::printf("%s", board_message);

    void (*script)() = nullptr;
    for (const board_row& row : board_table)
        if (row.model_code == model_code)
            script = row.script;
    if (script == nullptr) {
        std::printf("Unknown model:%d\n", model_code);
        return -1;
    }

    script();
    flash_base = flash_window_base;
    image_offset = download_area_offset;
    return 0;
}
