// SPDX-License-Identifier: MIT
#include "app/options.h"

#include <cstring>

int32_t option_index = 0;
const char* option_cursor = nullptr;
const char* option_argument = nullptr;

int32_t scan_option(int32_t argc, char* const argv[], const char* option_set)
{
    if (option_index == 0)
        option_cursor = nullptr;
    option_argument = nullptr;

    if (option_cursor == nullptr || *option_cursor == '\0') {
        if (option_index == 0)
            option_index = 1;
        if (option_index >= argc || argv[option_index][0] != '-' || argv[option_index][1] == '\0') {
            // The word stays for the caller.
            if (option_index < argc)
                option_argument = argv[option_index];
            return -1;
        }
        if (std::strcmp(argv[option_index], "--") == 0) {
            ++option_index;
            if (option_index < argc)
                option_argument = argv[option_index];
            return -1;
        }
        option_cursor = argv[option_index] + 1;
        ++option_index;
    }

    const char letter = *option_cursor++;
    const char* found = letter == ':' ? nullptr : std::strchr(option_set, letter);
    if (found == nullptr)
        return '?';
    if (found[1] != ':')
        return static_cast<unsigned char>(letter);

    if (*option_cursor != '\0') {
        option_argument = option_cursor;
        option_cursor = nullptr;
        return static_cast<unsigned char>(letter);
    }
    if (option_index < argc) {
        // The next word is the argument, whatever it looks like.
        option_argument = argv[option_index];
        ++option_index;
        return static_cast<unsigned char>(letter);
    }
    return '?';
}
