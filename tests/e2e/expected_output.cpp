// SPDX-License-Identifier: MIT
#include "tests/e2e/expected_output.h"

#include <stdexcept>

namespace expected {

namespace {

// The progress line at word 1024k (block k) of the two image lengths, written
// out once and checked by hand: the dots (the same for both lengths) and the
// percentage, 24 blocks a row; the last word's line has the last block's dots
// and " done".
constexpr int dots[128] = {
    0, 0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6, 7, 8, 8, 9, 9, 10, 11, 11, 12, 12, 13,
    13, 14, 15, 15, 16, 16, 17, 17, 18, 19, 19, 20, 20, 21, 22, 22, 23, 23, 24, 24, 25, 26, 26, 27,
    27, 28, 28, 29, 30, 30, 31, 31, 32, 33, 33, 34, 34, 35, 35, 36, 37, 37, 38, 38, 39, 39, 40, 41,
    41, 42, 42, 43, 44, 44, 45, 45, 46, 46, 47, 48, 48, 49, 49, 50, 50, 51, 52, 52, 53, 53, 54, 55,
    55, 56, 56, 57, 57, 58, 59, 59, 60, 60, 61, 61, 62, 63, 63, 64, 64, 65, 66, 66, 67, 67, 68, 68,
    69, 70, 70, 71, 71, 72, 72, 73};
constexpr int percent_0x18000[96] = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23,
    25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48,
    50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73,
    75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 96, 97, 98};
constexpr int percent_0x20000[128] = {
    0, 0, 1, 2, 3, 3, 4, 5, 6, 7, 7, 8, 9, 10, 10, 11, 12, 13, 14, 14, 15, 16, 17, 17,
    18, 19, 20, 21, 21, 22, 23, 24, 25, 25, 26, 27, 28, 28, 29, 30, 31, 32, 32, 33, 34, 35, 35, 36,
    37, 38, 39, 39, 40, 41, 42, 42, 43, 44, 45, 46, 46, 47, 48, 49, 50, 50, 51, 52, 53, 53, 54, 55,
    56, 57, 57, 58, 59, 60, 60, 61, 62, 63, 64, 64, 65, 66, 67, 67, 68, 69, 70, 71, 71, 72, 73, 74,
    75, 75, 76, 77, 78, 78, 79, 80, 81, 82, 82, 83, 84, 85, 85, 86, 87, 88, 89, 89, 90, 91, 92, 92,
    93, 94, 95, 96, 96, 97, 98, 99};

} // namespace

std::string progress(const std::string& title, int count, int last)
{
    if (count != 0x18000 && count != 0x20000)
        throw std::invalid_argument("no progress lines held for " + std::to_string(count) + " words");
    const int* percent = count == 0x18000 ? percent_0x18000 : percent_0x20000;
    const int blocks = count == 0x18000 ? 96 : 128;
    if (last < 0)
        last = count - 1;
    std::string text;
    for (int k = 0; k < blocks && k * 1024 <= last; ++k)
        text += '\r' + title + std::string(static_cast<size_t>(dots[k]), '.') + ' ' + std::to_string(percent[k]) + '%';
    if (last == count - 1)
        text += '\r' + title + std::string(static_cast<size_t>(dots[blocks - 1]), '.') + " done\n";
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
