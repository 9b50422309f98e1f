// SPDX-License-Identifier: MIT
#include "tests/e2e/box_files.h"

#include <fstream>
#include <iterator>

#include "tests/support/scratch_file.h"

std::vector<uint16_t> read_words(const std::string& path)
{
    // One read, not a byte at a time: flash files are 8 MiB.
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamsize size = in.tellg();
    std::vector<unsigned char> bytes(static_cast<size_t>(size > 0 ? size : 0));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::vector<uint16_t> words(bytes.size() / 2);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return words;
}

std::string scratch_path(const std::string& stem)
{
    return scratch_file(stem);
}

int64_t first_difference(const std::vector<uint16_t>& flash, const std::vector<uint16_t>& image, uint32_t address)
{
    if (flash.size() != flash_words)
        return 0;
    const size_t start = (address - flash_window) / 2;
    for (size_t w = 0; w < flash.size(); ++w) {
        const bool inside = w >= start && w - start < image.size();
        const uint16_t want = inside ? image[w - start] : 0xFFFF;
        if (flash[w] != want)
            return static_cast<int64_t>(w);
    }
    return -1;
}

uint64_t summary_number(const std::string& err, const std::string& label)
{
    const size_t at = err.find(label + ": ");
    return at == std::string::npos ? UINT64_MAX : std::stoull(err.substr(at + label.size() + 2));
}
