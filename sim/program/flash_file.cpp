// SPDX-License-Identifier: MIT
#include "sim/program/flash_file.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

#include "sim/flash.h"

namespace {

constexpr std::uintmax_t file_bytes = sim::flash_chip_words * 2;

} // namespace

bool flash_file_load(const std::string& path, std::string& error)
{
    std::error_code code;
    if (!std::filesystem::exists(path, code))
        return true;
    const std::uintmax_t size = std::filesystem::file_size(path, code);
    if (code) {
        error = "cannot read flash file " + path + ": " + code.message();
        return false;
    }
    if (size != file_bytes) {
        error = "flash file " + path + " holds " + std::to_string(size) + " bytes, not the chip's " +
                std::to_string(file_bytes);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    const auto bytes = std::make_unique<unsigned char[]>(file_bytes);
    if (!in.read(reinterpret_cast<char*>(bytes.get()), static_cast<std::streamsize>(file_bytes))) {
        error = "cannot read flash file " + path;
        return false;
    }
    uint16_t* words = sim::flash_array();
    for (size_t w = 0; w < sim::flash_chip_words; ++w)
        words[w] = static_cast<uint16_t>(bytes[2 * w] | (bytes[2 * w + 1] << 8));
    return true;
}

bool flash_file_save(const std::string& path, std::string& error)
{
    const auto bytes = std::make_unique<unsigned char[]>(file_bytes);
    const uint16_t* words = sim::flash_array();
    for (size_t w = 0; w < sim::flash_chip_words; ++w) {
        bytes[2 * w] = static_cast<unsigned char>(words[w]);
        bytes[2 * w + 1] = static_cast<unsigned char>(words[w] >> 8);
    }
    const std::string temporary = path + ".saving";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.get()), static_cast<std::streamsize>(file_bytes));
        out.close();
        if (!out) {
            error = "cannot write flash file " + temporary;
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code code;
    std::filesystem::rename(temporary, path, code);
    if (code) {
        error = "cannot replace flash file " + path + ": " + code.message();
        std::filesystem::remove(temporary, code);
        return false;
    }
    return true;
}
