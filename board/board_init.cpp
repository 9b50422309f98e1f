// SPDX-License-Identifier: MIT
#include "board/board_init.h"

#include <cstdio>

#include "model_table.h"

uint32_t flash_base = 0;
uint32_t image_offset = 0;

namespace {

constexpr uint32_t flash_window_base = 0xFF800000u;
constexpr uint32_t download_area_offset = 0x7D0000u;

} // namespace

int board_init(int32_t model_code)
{
    if (board_message != nullptr)
        std::printf("%s", board_message);

    const int32_t script = model_script(model_code);
    if (script == no_script) {
        std::printf("Unknown model:%d\n", model_code);
        return -1;
    }

    run_board_script(script);
    flash_base = flash_window_base;
    image_offset = download_area_offset;
    return 0;
}
