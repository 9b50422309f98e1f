// SPDX-License-Identifier: MIT
#include "ocd/answers.h"

#include <charconv>
#include <sstream>

namespace {

std::vector<std::string> words_of(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

std::vector<std::string> split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + separator.size())
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

// A whole word of hex digits (an optional 0x) that fits the bits given.
template <typename T>
bool hex_word(const std::string& word, int bits, T& value)
{
    const size_t skip = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X') ? 2 : 0;
    const char* first = word.data() + skip;
    const char* last = word.data() + word.size();
    uint64_t parsed = 0;
    const auto [end, code] = std::from_chars(first, last, parsed, 16);
    if (first == last || code != std::errc() || end != last || (bits < 64 && parsed >> bits != 0))
        return false;
    value = static_cast<T>(parsed);
    return true;
}

bool count_word(const std::string& word, long& value)
{
    const char* first = word.data();
    const char* last = first + word.size();
    const auto [end, code] = std::from_chars(first, last, value);
    return first != last && code == std::errc() && end == last && value >= 0;
}

// Word at of w as a hex value of bits into value; true where w has no such word.
template <typename T>
bool optional_hex(const std::vector<std::string>& w, size_t at, int bits, std::optional<T>& value)
{
    if (at >= w.size())
        return true;
    T parsed = 0;
    if (!hex_word(w[at], bits, parsed))
        return false;
    value = parsed;
    return true;
}

bool parse_words(const std::vector<std::string>& w, scan_answer& a)
{
    const std::string& head = w[0];
    const size_t n = w.size();
    if (head == "ok" && n <= 2) {
        a.kind = scan_answer::ok;
        return optional_hex(w, 1, 32, a.data);
    }
    if (head == "status" && n == 2) {
        a.kind = scan_answer::status;
        return count_word(w[1], a.index);
    }
    if (head == "first" && n == 3 && w[1] == "status") {
        a.kind = scan_answer::first_status;
        return count_word(w[2], a.index);
    }
    if (head == "reads" && n == 3) {
        a.kind = scan_answer::repeated;
        return count_word(w[1], a.reads) && a.reads > 0 && optional_hex(w, 2, 32, a.data);
    }
    if (head == "values" && n >= 2) {
        long count = 0;
        a.kind = scan_answer::values;
        if (!count_word(w[1], count) || static_cast<size_t>(count) != n - 2)
            return false;
        a.collected.resize(static_cast<size_t>(count));
        for (size_t i = 0; i < a.collected.size(); ++i)
            if (!hex_word(w[i + 2], 32, a.collected[i]))
                return false;
        return true;
    }
    if (head == "passed" && n == 1) {
        a.kind = scan_answer::passed;
        return true;
    }
    if (head == "failed" && (n == 2 || n == 3)) {
        a.kind = scan_answer::failed;
        return count_word(w[1], a.index) && optional_hex(w, 2, 33, a.read);
    }
    return false;
}

} // namespace

std::string quoted(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (out.size() >= 60)
            break;
        out += c >= 0x20 && c < 0x7f ? c : ' ';
    }
    return out;
}

bool parse_scan_answer(const std::string& text, scan_answer& answer, std::string& error)
{
    answer = scan_answer{};
    const std::vector<std::string> w = words_of(text);
    if (!w.empty() && parse_words(w, answer))
        return true;
    error = answer_error(text);
    return false;
}

std::string answer_error(const std::string& text)
{
    return "OpenOCD answered '" + quoted(text) + "', not what vexload-ocd's procedures answer";
}

bool parse_claim_answer(const std::string& text, claim_answer& answer)
{
    answer = claim_answer{};
    if (text.empty()) {
        answer.taken = true;
        return true;
    }
    // "held WHO AGE": WHO is free text, AGE the last word.
    const size_t age_at = text.rfind(' ');
    if (text.rfind("held ", 0) != 0 || age_at == std::string::npos || age_at < 5)
        return false;
    answer.holder = text.substr(5, age_at - 5);
    return count_word(text.substr(age_at + 1), answer.age_ms);
}

bool parse_setup_answer(const std::string& text, setup_answer& answer)
{
    answer = setup_answer{};
    const std::vector<std::string> parts = split(text, " | ");
    if (parts.size() != 4)
        return false;
    answer.taps = words_of(parts[0]);
    answer.chain_rows = split(parts[1], ";");
    answer.reset_config = parts[2];
    answer.adapter = quoted(parts[3]);
    return true;
}

int ir_length_of(const setup_answer& setup, const std::string& tap)
{
    // " 0 box.cpu  Y  0x00000000 0x00000000  7 0x01 0x03": the length is the sixth column.
    for (const std::string& row : setup.chain_rows) {
        const std::vector<std::string> w = words_of(row);
        long length = 0;
        if (w.size() >= 6 && w[1] == tap && count_word(w[5], length) && length <= 64)
            return static_cast<int>(length);
    }
    return -1;
}

std::optional<std::string> failure_of(const std::string& text)
{
    if (text.empty() || text[0] != '!')
        return std::nullopt;
    std::string message = text.substr(1);
    // "!CODE MESSAGE": the code goes.
    const size_t blank = message.find(' ');
    message = blank == std::string::npos ? "" : message.substr(blank + 1);
    message = message.substr(0, message.find('\n'));
    while (!message.empty() && (message.back() == '\r' || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}
