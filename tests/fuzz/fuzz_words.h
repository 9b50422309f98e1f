// SPDX-License-Identifier: MIT
// A fuzz input as a command line: words end at NUL bytes, the last one at the
// end of the input; each word in a buffer of its own, so that the sanitizer
// sees a read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct fuzz_words {
    std::vector<std::string> words;
    std::vector<std::vector<char>> buffers;
    std::vector<char*> argv;
    int argc = 0;

    fuzz_words(const char* program, const uint8_t* data, size_t size)
    {
        words.push_back(program);
        std::string word;
        for (size_t i = 0; i < size; ++i) {
            if (data[i] == 0) {
                words.push_back(word);
                word.clear();
            } else {
                word.push_back(static_cast<char>(data[i]));
            }
        }
        if (size > 0)
            words.push_back(word);
        for (const std::string& w : words)
            buffers.emplace_back(w.c_str(), w.c_str() + w.size() + 1);
        for (std::vector<char>& b : buffers)
            argv.push_back(b.data());
        argv.push_back(nullptr);
        argc = static_cast<int>(words.size());
    }
};
