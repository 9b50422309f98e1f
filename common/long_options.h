// SPDX-License-Identifier: MIT
// The one reader of the long options that vexload-sim and vexload-ocd take in
// front of vexload's own: "--name VALUE", "--name=VALUE" and flags, up to "--"
// (dropped) or the first word that does not start with "--". A program's
// table is made of parts, each a list of rows that fill the options they are
// bound to (the box's, the engine's, the jobs' both programs share); a bad
// value gets one wording for every option: "NAME wants WHAT, not 'VALUE'".
//
// Libraries weighed: getopt_long takes an abbreviation of a name and reads
// vexload's "-m" as an option of its own; cxxopts gathers words from the whole
// line; CLI11 (Debian 12's 2.1, prefix_command) stops at vexload's first
// word, but takes "--" as a value, hands a misspelt name on to vexload and
// gives a flag "=1": each would need the checks this reader is made of.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// How an option's value is read: take stores a good value where it belongs
// and is false for a bad one, which is refused as wanting what wants says.
struct option_value {
    std::string wants;
    std::function<bool(const std::string& value)> take;
};

struct long_option {
    const char* name;       // "--flash"
    const char* value_name; // the value in the help ("FILE"); nullptr: a flag, which takes no value
    std::string help;
    option_value value;
};

struct option_table {
    const char* program;           // in the refusals: "vexload-sim"
    std::vector<long_option> rows; // in the order of the help
};

struct options_read {
    int tool_arguments = 1;          // index of the first word for vexload
    std::vector<const char*> given;  // the names of the options given, in order
    std::string unknown;             // the name that is no row's, where one ended the reading
};

// Reads the table's options from argv[1] on. false with the refusal in error
// for an unknown name, a missing or bad value (a value that starts with "--"
// is another option's name, never a value), a value given to a flag, or one
// of the table's names among vexload's words, where it would be lost.
bool read_long_options(int argc, char* const argv[], const option_table& table, options_read& read,
    std::string& error);

// One line or more for each row: the name and the value's name, the help
// from column 26 on, wrapped at blanks within 79 columns.
void print_option_help(const option_table& table);

// The rows of --version and --help, last in every program's table.
void add_version_and_help(option_table& table, bool& version, bool& help);

// "a, b or c" ("and" for joint "and").
std::string joined_words(const std::vector<std::string>& words, const char* joint);

// The shared readers of values.
option_value flag(bool& field);
option_value any_text(std::function<void(const std::string&)> store);
// what, then " from LEAST to MOST": "a whole number of milliseconds".
option_value whole_number(const char* what, uint64_t least, uint64_t most, std::function<void(uint64_t)> store);
// Seconds from 0 to 1e10, fractions allowed, kept in nanoseconds.
option_value seconds(std::function<void(uint64_t ns)> store);
// count 16-bit codes in hexadecimal (0x allowed) separated by commas, laid
// out as layout says ("MFR,DEV,W0E,W0F").
option_value hex_codes(size_t count, const char* layout, std::function<void(const std::vector<uint16_t>&)> store);
// One of words; store gets its index.
option_value one_of(const std::vector<std::string>& words, std::function<void(size_t)> store);

// The parsers under them, for values of a shape of their own.
bool read_whole(const std::string& text, uint64_t least, uint64_t most, uint64_t& value);
bool read_seconds(const std::string& text, uint64_t& ns);
inline constexpr const char* seconds_range = "seconds from 0 to 1e10";
