// SPDX-License-Identifier: MIT
#include "common/long_options.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

constexpr double most_seconds = 1.0e10; // seconds_range; keeps times in 64-bit nanoseconds

bool starts_with(const std::string& text, const std::string& head)
{
    return text.compare(0, head.size(), head) == 0;
}

const long_option* row_named(const option_table& table, const std::string& name)
{
    for (const long_option& row : table.rows)
        if (name == row.name)
            return &row;
    return nullptr;
}

// The row whose name a word of vexload's is, alone or as "--name=...".
const long_option* row_in_word(const option_table& table, const std::string& word)
{
    for (const long_option& row : table.rows)
        if (word == row.name || starts_with(word, std::string(row.name) + "="))
            return &row;
    return nullptr;
}

void refuse_unknown(const option_table& table, const std::string& name, std::string& error)
{
    std::vector<std::string> names;
    for (const long_option& row : table.rows)
        names.emplace_back(row.name);
    error = "unknown option '" + name + "'; " + table.program + " takes " + joined_words(names, "and") +
            " before vexload's options (see --help)";
}

// The value of row's option at argv[i]: after its "=", or the next word,
// which i then passes.
bool value_of(int argc, char* const argv[], int& i, const long_option& row, std::string& value, std::string& error)
{
    const std::string word = argv[i];
    const size_t equals = word.find('=');
    if (row.value_name == nullptr) {
        if (equals == std::string::npos)
            return true;
        error = std::string(row.name) + " takes no value";
        return false;
    }
    if (equals != std::string::npos)
        value = word.substr(equals + 1);
    else if (i + 1 < argc)
        value = argv[++i];
    // "--flash -- -m x" must not save the flash into a file named "--".
    if (!value.empty() && !starts_with(value, "--"))
        return true;
    error = std::string(row.name) + " needs a value";
    return false;
}

} // namespace

bool read_long_options(int argc, char* const argv[], const option_table& table, options_read& read,
    std::string& error)
{
    int i = 1;
    for (; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--") {
            ++i;
            break;
        }
        if (!starts_with(word, "--"))
            break; // vexload's first word: it has no long options
        const std::string name = word.substr(0, word.find('='));
        const long_option* row = row_named(table, name);
        if (row == nullptr) {
            read.unknown = name;
            refuse_unknown(table, name, error);
            return false;
        }
        std::string value;
        if (!value_of(argc, argv, i, *row, value, error))
            return false;
        if (!row->value.take(value)) {
            error = std::string(row->name) + " wants " + row->value.wants + ", not '" + value + "'";
            return false;
        }
        read.given.push_back(row->name);
    }
    read.tool_arguments = i;
    // vexload's scanner would take the name for letters and ignore it.
    for (; i < argc; ++i)
        if (const long_option* row = row_in_word(table, argv[i])) {
            error = std::string(row->name) + " stands among vexload's options: " + table.program +
                    "'s own options go before them";
            return false;
        }
    return true;
}

namespace {

constexpr size_t help_column = 26;
constexpr size_t help_width = 79;

// line (the option and its value), then text from the help column on,
// wrapped at blanks; a line too long for the column stands alone.
void print_wrapped(const std::string& line, const std::string& text)
{
    std::string lead = line;
    if (lead.size() + 1 > help_column) {
        std::printf("%s\n", lead.c_str());
        lead.clear();
    }
    lead.resize(help_column, ' ');
    constexpr size_t room = help_width - help_column;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.size();
        if (end - at > room) {
            end = text.rfind(' ', at + room);
            if (end == std::string::npos || end <= at)
                end = text.find(' ', at + room);
            if (end == std::string::npos)
                end = text.size();
        }
        std::printf("%s%s\n", lead.c_str(), text.substr(at, end - at).c_str());
        lead.assign(help_column, ' ');
        at = end < text.size() ? end + 1 : end;
    }
}

} // namespace

void print_option_help(const option_table& table)
{
    for (const long_option& row : table.rows) {
        std::string line = std::string("  ") + row.name;
        if (row.value_name != nullptr)
            line += std::string(" ") + row.value_name;
        print_wrapped(line, row.help);
    }
}

void add_version_and_help(option_table& table, bool& version, bool& help)
{
    table.rows.push_back({"--version", nullptr, "the version, and end", flag(version)});
    table.rows.push_back({"--help", nullptr, "this text", flag(help)});
}

std::string joined_words(const std::vector<std::string>& words, const char* joint)
{
    std::string text;
    for (size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? std::string(" ") + joint + " " : ", ") + words[i];
    return text;
}

bool read_whole(const std::string& text, uint64_t least, uint64_t most, uint64_t& value)
{
    const char* last = text.data() + text.size();
    uint64_t parsed = 0;
    const auto [end, code] = std::from_chars(text.data(), last, parsed);
    if (text.empty() || code != std::errc() || end != last || parsed < least || parsed > most)
        return false;
    value = parsed;
    return true;
}

bool read_seconds(const std::string& text, uint64_t& ns)
{
    const char* last = text.data() + text.size();
    double parsed = 0;
    const auto [end, code] = std::from_chars(text.data(), last, parsed);
    if (text.empty() || code != std::errc() || end != last || !std::isfinite(parsed) || parsed < 0 ||
        parsed > most_seconds)
        return false;
    ns = static_cast<uint64_t>(std::llround(parsed * 1e9));
    return true;
}

option_value flag(bool& field)
{
    return {"", [&field](const std::string&) { return field = true; }};
}

option_value any_text(std::function<void(const std::string&)> store)
{
    return {"", [store](const std::string& value) {
                store(value);
                return true;
            }};
}

option_value whole_number(const char* what, uint64_t least, uint64_t most, std::function<void(uint64_t)> store)
{
    return {std::string(what) + " from " + std::to_string(least) + " to " + std::to_string(most),
        [least, most, store](const std::string& value) {
            uint64_t number = 0;
            if (!read_whole(value, least, most, number))
                return false;
            store(number);
            return true;
        }};
}

option_value seconds(std::function<void(uint64_t)> store)
{
    return {std::string("a number of ") + seconds_range, [store](const std::string& value) {
                uint64_t ns = 0;
                if (!read_seconds(value, ns))
                    return false;
                store(ns);
                return true;
            }};
}

namespace {

bool read_hex16(std::string text, uint16_t& code)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.erase(0, 2);
    const char* last = text.data() + text.size();
    unsigned parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), last, parsed, 16);
    if (text.empty() || error != std::errc() || end != last || parsed > 0xFFFF)
        return false;
    code = static_cast<uint16_t>(parsed);
    return true;
}

} // namespace

option_value hex_codes(size_t count, const char* layout, std::function<void(const std::vector<uint16_t>&)> store)
{
    return {std::to_string(count) + " hexadecimal 16-bit codes " + layout, [count, store](const std::string& value) {
                std::vector<uint16_t> codes(count);
                size_t start = 0;
                for (size_t i = 0; i < count; ++i) {
                    const size_t comma = value.find(',', start);
                    const bool last = i + 1 == count;
                    if (last != (comma == std::string::npos) ||
                        !read_hex16(value.substr(start, last ? std::string::npos : comma - start), codes[i]))
                        return false;
                    start = comma + 1;
                }
                store(codes);
                return true;
            }};
}

option_value one_of(const std::vector<std::string>& words, std::function<void(size_t)> store)
{
    return {joined_words(words, "or"), [words, store](const std::string& value) {
                for (size_t i = 0; i < words.size(); ++i)
                    if (value == words[i]) {
                        store(i);
                        return true;
                    }
                return false;
            }};
}
