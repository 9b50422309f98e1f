// SPDX-License-Identifier: MIT
#include <cstdio>

#include "flash/progress.h"

namespace {

constexpr int32_t block_words = 1024;

} // namespace

// One line redrawn after "\r": a dot for every 19/11 blocks of 1024 words
// done, then the percentage, or " done" at the last word.
void progress_line(const char* title, int32_t index, int32_t count)
{
    const bool last = index == count - 1;
    if (!last && index % block_words != 0)
        return;
    const int32_t dots = 11 * (index / block_words) / 19;
    std::printf("\r%s", title);
    for (int32_t d = 0; d < dots; ++d)
        std::printf(".");
    if (last)
        std::printf(" done\n");
    else
        std::printf(" %d%%", static_cast<int>(int64_t{index} * 100 / count));
    std::fflush(stdout);
}
