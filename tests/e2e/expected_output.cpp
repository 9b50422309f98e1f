// SPDX-License-Identifier: MIT
#include "tests/e2e/expected_output.h"

namespace expected {

std::string progress(const std::string& title, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        const bool last = i == count - 1;
        if (!last && i % 1024 != 0)
            continue;
        const int dots = 11 * (i / 1024) / 19;
        text += '\r';
        text += title;
        text.append(static_cast<size_t>(dots), '.');
        if (last)
            text += " done\n";
        else {
            text += ' ';
            text += std::to_string(static_cast<long long>(i) * 100 / count);
            text += '%';
        }
    }
    return text;
}

std::string erase_line(int sector_count)
{
    return "Erase flash(all)" + std::string(static_cast<size_t>(sector_count > 0 ? sector_count : 0), '.') + " done\n";
}

std::string full_run(const std::string& board_message, const std::string& flash_info, int image_words, bool verify)
{
    std::string text = board_message + "Flash info. : " + flash_info + "\n" + erase_line(135);
    text += progress("Downloading.", image_words);
    if (verify)
        text += progress("Checking.", image_words);
    return text + "Complete !\n";
}

} // namespace expected
