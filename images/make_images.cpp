// SPDX-License-Identifier: MIT
// Writes the placeholder bootloader images that a build embeds when no real
// images are supplied: make_images DIR NAME=WORDS ...
//
// Each image looks like a real one to the tool and to a box: a block of code,
// a small data block, erased padding (0xFFFF words, which the download skips)
// and, in its last two words, a PowerPC branch back to the image's first word,
// where the core fetches its first instruction (the top of the flash). The
// contents follow from the name alone, so every build writes the same bytes
// and no two images are alike.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr uint16_t erased_word = 0xFFFF;

uint32_t name_hash(const std::string& name)
{
    uint32_t hash = 2166136261u; // FNV-1a
    for (const unsigned char c : name) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

uint32_t next_random(uint32_t& state)
{
    state ^= state << 13; // xorshift32
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// b (opcode 18, AA = 0, LK = 0) from the image's last 32-bit word to its first.
uint32_t branch_to_start(uint32_t words)
{
    const uint32_t displacement = 0u - (words * 2u - 4u);
    return 0x48000000u | (displacement & 0x03FFFFFCu);
}

std::vector<uint16_t> make_image(const std::string& name, uint32_t words)
{
    std::vector<uint16_t> image(words, erased_word);
    uint32_t state = name_hash(name) | 1u;

    // Code: between a quarter and a third of the image.
    const uint32_t code_words = words / 4 + (name_hash(name) % (words / 12));
    for (uint32_t i = 0; i < code_words; ++i)
        image[i] = static_cast<uint16_t>(next_random(state));

    // A readable tag near the start, two characters a word, high byte first
    // as the big-endian core reads them.
    const std::string tag = "placeholder image " + name;
    for (size_t c = 0; c < tag.size(); c += 2) {
        const unsigned hi = static_cast<unsigned char>(tag[c]);
        const unsigned lo = c + 1 < tag.size() ? static_cast<unsigned char>(tag[c + 1]) : 0u;
        image[8 + c / 2] = static_cast<uint16_t>(hi << 8 | lo);
    }

    // Data block inside the padding: erased runs on both sides of it.
    const uint32_t data_start = words / 8 * 5;
    for (uint32_t i = data_start; i < data_start + 0x200 && i < words - 2; ++i)
        image[i] = static_cast<uint16_t>(next_random(state) & 0x7FFF);

    const uint32_t branch = branch_to_start(words);
    image[words - 2] = static_cast<uint16_t>(branch >> 16);
    image[words - 1] = static_cast<uint16_t>(branch);
    return image;
}

bool write_image(const std::string& path, const std::vector<uint16_t>& image)
{
    std::vector<unsigned char> bytes;
    bytes.reserve(image.size() * 2);
    for (const uint16_t word : image) {
        bytes.push_back(static_cast<unsigned char>(word & 0xFF)); // low byte first
        bytes.push_back(static_cast<unsigned char>(word >> 8));
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_images DIR NAME=WORDS...\n");
        return 2;
    }
    const std::string dir = argv[1];
    for (int a = 2; a < argc; ++a) {
        const std::string arg = argv[a];
        const size_t eq = arg.find('=');
        const unsigned long words = eq == std::string::npos ? 0 : std::strtoul(arg.c_str() + eq + 1, nullptr, 0);
        if (words < 0x1000 || words > 0x400000) {
            std::fprintf(stderr, "make_images: bad image %s\n", arg.c_str());
            return 2;
        }
        const std::string name = arg.substr(0, eq);
        const std::string path = dir + "/" + name + ".bin";
        if (!write_image(path, make_image(name, static_cast<uint32_t>(words)))) {
            std::fprintf(stderr, "make_images: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
