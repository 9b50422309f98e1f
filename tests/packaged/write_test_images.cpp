// SPDX-License-Identifier: MIT
// Writes stand-ins for the real bootloader images, for a build configured
// with VEXLOAD_IMAGE_DIR: write_test_images DIR NAME=WORDS ...
//
// Unlike the build's placeholders, about half of the words are erased
// (0xFFFF) and scattered among the others, so that the download's skipping
// of erased words is exercised word by word. The bytes follow from the name;
// a file that already holds them is left alone, so that the build that uses
// it has nothing to redo.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> test_image(const std::string& name, unsigned long words)
{
    uint32_t state = 0x9E3779B9u;
    for (const unsigned char c : name)
        state = (state ^ c) * 16777619u;
    std::vector<unsigned char> bytes;
    bytes.reserve(words * 2);
    for (unsigned long i = 0; i < words; ++i) {
        state ^= state << 13; // xorshift32
        state ^= state >> 17;
        state ^= state << 5;
        const uint16_t word = (state & 0x80000000u) != 0 ? 0xFFFF : static_cast<uint16_t>(state & 0x7FFF);
        bytes.push_back(static_cast<unsigned char>(word)); // low byte first
        bytes.push_back(static_cast<unsigned char>(word >> 8));
    }
    return bytes;
}

bool holds(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return old == bytes;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: write_test_images DIR NAME=WORDS ...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        const std::string item = argv[i];
        const size_t equals = item.find('=');
        if (equals == std::string::npos) {
            std::fprintf(stderr, "write_test_images: %s is not NAME=WORDS\n", argv[i]);
            return 2;
        }
        const std::string path = std::string(argv[1]) + "/" + item.substr(0, equals) + ".bin";
        const std::vector<unsigned char> bytes = test_image(item.substr(0, equals),
            std::strtoul(item.c_str() + equals + 1, nullptr, 0));
        if (holds(path, bytes))
            continue;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "write_test_images: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
