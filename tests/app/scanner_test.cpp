// SPDX-License-Identifier: MIT
// The option scanner, call by call: value returned and state left behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/options.h"

namespace {

const char* const option_set = "m:o:t:c:h";

struct step {
    int32_t value;
    const char* argument; // nullptr: none
    int32_t index;        // option_index after the call
};

struct scan_case {
    const char* name;
    std::vector<std::string> words; // after the program name
    std::vector<step> steps;
};

void check_scan(const scan_case& c)
{
    std::vector<std::string> storage{"vexload"};
    storage.insert(storage.end(), c.words.begin(), c.words.end());
    std::vector<char*> argv;
    for (std::string& word : storage)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const int32_t argc = static_cast<int32_t>(storage.size());

    option_index = 0;
    for (size_t n = 0; n < c.steps.size(); ++n) {
        SCOPED_TRACE(std::string(c.name) + ", call " + std::to_string(n + 1));
        const step& expect = c.steps[n];
        EXPECT_EQ(scan_option(argc, argv.data(), option_set), expect.value);
        if (expect.argument == nullptr)
            EXPECT_EQ(option_argument, nullptr);
        else {
            ASSERT_NE(option_argument, nullptr);
            EXPECT_STREQ(option_argument, expect.argument);
        }
        EXPECT_EQ(option_index, expect.index);
    }
}

const char q = '?';

TEST(ScanOption, WalksEveryShapeOfCommandLine)
{
    const std::vector<scan_case> cases = {
        {"separate arguments", {"-m", "zorvan50s", "-o", "ntsc"},
            {{'m', "zorvan50s", 3}, {'o', "ntsc", 5}, {-1, nullptr, 5}}},
        {"argument in the same word", {"-mzorvan50s"}, {{'m', "zorvan50s", 2}, {-1, nullptr, 2}}},
        {"h inside -ch is an argument", {"-ch"}, {{'c', "h", 2}, {-1, nullptr, 2}}},
        {"letters share a word", {"-hc", "x"}, {{'h', nullptr, 2}, {'c', "x", 3}, {-1, nullptr, 3}}},
        {"unknown letter alone", {"-x", "-m", "a"}, {{q, nullptr, 2}, {'m', "a", 4}, {-1, nullptr, 4}}},
        {"unknown letter before a known one", {"-xm", "a"}, {{q, nullptr, 2}, {'m', "a", 3}, {-1, nullptr, 3}}},
        {"missing argument", {"-t"}, {{q, nullptr, 2}, {-1, nullptr, 2}}},
        {"argument that looks like an option", {"-t", "-m"}, {{'t', "-m", 3}, {-1, nullptr, 3}}},
        {"lone hyphen ends the options", {"-"}, {{-1, "-", 1}, {-1, "-", 1}}},
        {"double hyphen ends the options", {"--", "-m", "a"}, {{-1, "-m", 2}}},
        {"double hyphen as the last word", {"--"}, {{-1, nullptr, 2}}},
        {"first word not an option", {"foo", "-m", "a"}, {{-1, "foo", 1}}},
        {"colon is never a letter", {"-:"}, {{q, nullptr, 2}, {-1, nullptr, 2}}},
        {"three hyphens", {"---", "-h"}, {{q, nullptr, 2}, {q, nullptr, 2}, {'h', nullptr, 3}, {-1, nullptr, 3}}},
        {"no words at all", {}, {{-1, nullptr, 1}}},
        {"word after the options stays", {"-c", "yes", "rest"}, {{'c', "yes", 3}, {-1, "rest", 3}}},
        {"non-ASCII letter", {"-\xe9m", "a"}, {{q, nullptr, 2}, {'m', "a", 3}}},
    };
    for (const scan_case& c : cases)
        check_scan(c);
}

TEST(ScanOption, ResettingTheIndexRestartsAtWordOne)
{
    std::vector<std::string> words{"vexload", "-mabc", "-h"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(), nullptr};
    option_index = 0;
    EXPECT_EQ(scan_option(3, argv, option_set), 'm');
    EXPECT_EQ(scan_option(3, argv, option_set), 'h');
    option_index = 0;
    EXPECT_EQ(scan_option(3, argv, option_set), 'm');
    EXPECT_STREQ(option_argument, "abc");
}

TEST(ScanOption, ColonAtTheHeadOfTheSetHasNoEffect)
{
    std::vector<std::string> words{"vexload", "-a", "-b", "x"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data(), nullptr};
    option_index = 0;
    EXPECT_EQ(scan_option(4, argv, ":ab:"), 'a');
    EXPECT_EQ(scan_option(4, argv, ":ab:"), 'b');
    EXPECT_STREQ(option_argument, "x");
}

} // namespace
