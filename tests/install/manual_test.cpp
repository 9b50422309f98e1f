// SPDX-License-Identifier: MIT
// The manual pages: clean roff, and every message a run can print is in
// them. The messages are read from the code itself, so that a message added
// or reworded without its entry in the manual fails here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/file_text.h"
#include "tests/support/run_program.h"
#include "tests/support/squeezed.h"

namespace {

namespace fs = std::filesystem;

const fs::path source_dir = SOURCE_DIR;

bool have_groff()
{
    return run_program("/bin/sh", {"-c", "command -v groff >/dev/null"}).status == 0;
}

constexpr size_t none = std::string::npos;

bool is_letter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

bool is_name_char(char c)
{
    return is_letter(c) || is_digit(c) || c == '_';
}

// text[at] starts with word, and no name character stands just before it:
// "printf(" in "std::printf(", not in "snprintf(".
bool word_at(const std::string& text, size_t at, std::string_view word)
{
    return (at == 0 || !is_name_char(text[at - 1])) && text.compare(at, word.size(), word) == 0;
}

size_t past_blanks(const std::string& text, size_t at)
{
    while (at < text.size() && is_blank(text[at]))
        ++at;
    return at;
}

// Past "stderr" and its comma at text[at], blanks around them; none where the
// arguments start otherwise.
size_t past_stderr(const std::string& text, size_t at)
{
    at = past_blanks(text, at);
    if (text.compare(at, 6, "stderr") != 0)
        return none;
    at = past_blanks(text, at + 6);
    return at < text.size() && text[at] == ',' ? at + 1 : none;
}

// The page as plain ASCII text on lines too long to wrap, without hyphenation.
std::string rendered(const std::string& page)
{
    const program_result r = run_program("/bin/sh",
        {"-c", "groff -man -Tascii -P-cbou -rLL=4000n -rHY=0 '" + (source_dir / "man" / page).string() + "'"});
    EXPECT_EQ(r.status, 0) << r.err;
    return squeezed(r.out);
}

// The C string literal that starts at text[at] (a quote), unescaped; at is
// left after its closing quote.
std::string literal_at(const std::string& text, size_t& at)
{
    std::string value;
    for (++at; at < text.size() && text[at] != '"'; ++at) {
        if (text[at] != '\\') {
            value.push_back(text[at]);
            continue;
        }
        const char e = text[++at];
        value.push_back(e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e);
    }
    ++at;
    return value;
}

// Adjacent literals from text[at] on, joined as the compiler joins them.
std::string joined_literals(const std::string& text, size_t at)
{
    std::string value;
    while (at < text.size()) {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
        if (at >= text.size() || text[at] != '"')
            break;
        value += literal_at(text, at);
    }
    return value;
}

// The fixed pieces of a printf format or a message between the variable
// parts, kept when they carry four characters or more.
std::vector<std::string> pieces(const std::string& format)
{
    std::vector<std::string> out;
    std::string piece;
    auto keep = [&] {
        const std::string s = squeezed(piece);
        size_t visible = 0;
        for (const char c : s)
            visible += c != ' ';
        if (visible >= 4)
            out.push_back(s.front() == ' ' ? s.substr(1) : s);
        piece.clear();
    };
    for (size_t at = 0; at < format.size(); ++at) {
        // A conversion: "%", flags, width, precision and length, and its letter ("%%" too).
        const size_t end = format[at] == '%' ? format.find_first_not_of("-+ #0123456789.hlLzjt", at + 1) : none;
        const bool conversion = end != none && (is_letter(format[end]) || format[end] == '%');
        if (conversion || format[at] == '\n' || format[at] == '\r')
            keep();
        else
            piece.push_back(format[at]);
        if (conversion)
            at = end;
    }
    keep();
    return out;
}

struct found_message {
    std::string file;
    std::string piece;
};

// Where the message of a printf, fprintf or message_box call at text[at]
// starts, past a leading stderr; none where no such call starts there.
size_t message_call_at(const std::string& text, size_t at)
{
    for (const std::string_view call : {"printf(", "fprintf(", "message_box("}) {
        if (word_at(text, at, call)) {
            at = past_blanks(text, at + call.size());
            const size_t message = past_stderr(text, at);
            return message == none ? at : past_blanks(text, message);
        }
    }
    return none;
}

// Every fixed piece of the messages printed by the files of these folders.
std::vector<found_message> tool_messages()
{
    std::vector<found_message> found;
    for (const char* folder : {"app", "link", "target", "board", "flash", "platform"}) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(source_dir / folder)) {
            if (entry.path().extension() != ".cpp" || entry.path().filename() == "usage.cpp")
                continue; // the usage text is the banner, shown by -h
            const std::string text = file_text(entry.path().string());
            for (size_t from = 0; from < text.size();) {
                const size_t at = message_call_at(text, from);
                if (at == none) {
                    ++from;
                    continue;
                }
                for (const std::string& piece : pieces(joined_literals(text, at)))
                    found.push_back({entry.path().filename().string(), piece});
                from = at;
            }
        }
    }
    return found;
}

// Where the message of an error text or print at text[at] starts: after
// "error = ", "refuse(", "cannot_start(", "lost(" or "fprintf(stderr,"; none
// where no such statement starts there.
size_t message_statement_at(const std::string& text, size_t at)
{
    for (const std::string_view start : {"error = ", "refuse(", "cannot_start(", "lost("})
        if (word_at(text, at, start))
            return at + start.size();
    return word_at(text, at, "fprintf(") ? past_stderr(text, at + 8) : none;
}

// A program's own messages: literals of error texts and of its prints.
std::vector<found_message> program_messages(const std::vector<fs::path>& files)
{
    std::vector<found_message> found;
    for (const fs::path& file : files) {
        EXPECT_TRUE(fs::exists(source_dir / file)) << file << " is gone: the messages are read from its successor";
        const std::string text = file_text((source_dir / file).string());
        for (size_t from = 0; from < text.size();) {
            const size_t message = message_statement_at(text, from);
            const size_t end = message == none ? none : text.find(';', message);
            if (end == none) {
                ++from;
                continue;
            }
            from = end + 1;
            const std::string body = text.substr(message, end - message);
            for (size_t at = body.find('"'); at != std::string::npos; at = body.find('"', at)) {
                const std::string value = literal_at(body, at);
                for (const std::string& piece : pieces(value))
                    found.push_back({file.filename().string(), piece});
            }
        }
    }
    return found;
}

std::vector<found_message> sim_messages()
{
    return program_messages({"sim/program/main.cpp", "sim/program/box_options.cpp", "sim/program/flash_file.cpp",
        "sim/faults.cpp", "sim/program/serve.cpp", "common/long_options.cpp"});
}

// The length of the name of an option, fault or chip that vexload-sim's help
// shows at help[at], 0 where none starts there: a long option ("--flash"), a
// word with a hyphen and the name of its number ("erase-stuck=N"), or a chip's
// capitalised name with a digit ("EN29LV640B").
size_t help_name_at(const std::string& help, size_t at)
{
    auto run = [&](size_t from, bool (*in)(char)) {
        while (from < help.size() && in(help[from]))
            ++from;
        return from;
    };
    auto lower = [](char c) { return c >= 'a' && c <= 'z'; };
    auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
    size_t end = at;
    if (help.compare(at, 2, "--") == 0) {
        if (at + 2 < help.size() && lower(help[at + 2]))
            end = run(at + 3, [](char c) { return (c >= 'a' && c <= 'z') || c == '-'; });
        return end > at + 3 ? end - at : 0;
    }
    if (at > 0 && is_name_char(help[at - 1]))
        return 0;
    if (at < help.size() && lower(help[at])) {
        end = run(at, lower);
        bool hyphenated = false;
        for (size_t part = end; part < help.size() && help[part] == '-'; part = end) {
            const size_t part_end = run(part + 1, [](char c) { return (c >= 'a' && c <= 'z') || is_digit(c); });
            if (part_end == part + 1)
                break;
            end = part_end;
            hyphenated = true;
        }
        if (!hyphenated)
            return 0;
        if (help.compare(end, 1, "=") == 0 && end + 1 < help.size() && upper(help[end + 1]) &&
            (end + 2 == help.size() || !is_name_char(help[end + 2])))
            end += 2;
        return end - at;
    }
    if (at < help.size() && upper(help[at])) {
        end = run(at + 1, [](char c) { return (c >= 'A' && c <= 'Z') || is_digit(c); });
        const bool digit = help.find_first_of("0123456789", at) < end;
        return digit && (end == help.size() || !is_name_char(help[end])) ? end - at : 0;
    }
    return 0;
}

// The words after each "modprobe" in text that loads a port module, as
// written: those before the first module named, the module, and those after
// it, each after one space or more; a word of small letters, '-' and '_'.
std::vector<std::string> module_loads(const std::string& text)
{
    auto word_end = [&](size_t from) {
        while (from < text.size() &&
               ((text[from] >= 'a' && text[from] <= 'z') || text[from] == '-' || text[from] == '_'))
            ++from;
        return from;
    };
    // The next word, after one space or more at text[from]; none where there is none.
    auto next_word = [&](size_t from) {
        const size_t word = text.find_first_not_of(' ', from);
        return word == from || word == none || word_end(word) == word ? none : word;
    };
    // The end of the module's name that starts the word, as a whole name ("ppdev", not "ppdevx").
    auto module_end = [&](size_t word) {
        for (const std::string_view module : {"parport_pc", "ppdev"}) {
            const size_t end = word + module.size();
            if (text.compare(word, module.size(), module) == 0 && (end == text.size() || !is_name_char(text[end])))
                return end;
        }
        return none;
    };
    std::vector<std::string> found;
    for (size_t at = text.find("modprobe"); at != none; at = text.find("modprobe", at)) {
        const size_t words = at + 8;
        size_t end = none;
        for (size_t word = next_word(words); word != none && end == none; word = next_word(word_end(word)))
            end = module_end(word);
        if (end == none) {
            ++at;
            continue;
        }
        for (size_t word = next_word(end); word != none; word = next_word(end))
            end = word_end(word);
        found.push_back(text.substr(words, end - words));
        at = end;
    }
    return found;
}

class Manual : public testing::Test {
protected:
    void SetUp() override
    {
        if (!have_groff())
            GTEST_SKIP() << "groff is not installed";
    }
};

TEST_F(Manual, PagesAreCleanRoff)
{
    for (const char* page : {"vexload.1", "vexload-sim.1", "vexload-ocd.1"}) {
        const program_result r = run_program("/bin/sh",
            {"-c", "groff -man -ww -z '" + (source_dir / "man" / page).string() + "' 2>&1"});
        EXPECT_EQ(r.status, 0) << page;
        EXPECT_EQ(r.out, "") << page;
    }
}

// Every message found in the code stands in the page; at_least guards the
// search itself, which finds nothing if the code's form changes.
void expect_messages_on(const std::string& page, const std::vector<found_message>& messages, size_t at_least)
{
    ASSERT_GT(messages.size(), at_least) << "the messages were not found in the code";
    for (const found_message& m : messages)
        EXPECT_NE(page.find(m.piece), std::string::npos) << m.file << ": \"" << m.piece << "\"";
}

TEST_F(Manual, VexloadPageHasEveryMessageOfTheTool)
{
    const std::string page = rendered("vexload.1");
    expect_messages_on(page, tool_messages(), 25);
    for (const char* option : {"-m model", "-o pal|ntsc", "-t n", "-c word", "-h", "EXIT STATUS"})
        EXPECT_NE(page.find(option), std::string::npos) << option;
}

TEST_F(Manual, VexloadSimPageHasEveryBoxOptionFaultAndMessage)
{
    const std::string page = rendered("vexload-sim.1");
    expect_messages_on(page, sim_messages(), 15);

    // The options, faults (with their numbers' names) and chips that
    // vexload-sim --help lists from its tables.
    const program_result help = run_program(std::string(BUILD_DIR) + "/bin/vexload-sim", {"--help"});
    ASSERT_EQ(help.status, 0);
    int count = 0;
    for (size_t at = 0; at < help.out.size(); ++at) {
        const size_t length = help_name_at(help.out, at);
        if (!length)
            continue;
        std::string name = help.out.substr(at, length);
        at += length - 1;
        ++count;
        if (name.size() > 2 && name[name.size() - 2] == '=')
            name.back() = static_cast<char>(std::tolower(static_cast<unsigned char>(name.back())));
        EXPECT_NE(page.find(name), std::string::npos) << name;
    }
    EXPECT_GT(count, 40);
}

// A modprobe of several modules needs -a: without it the second name becomes
// a parameter of the first. Every such command the README, the guides and the
// pages give loads both port modules this way.
TEST_F(Manual, ModprobeCommandsLoadEachModuleTheyName)
{
    std::vector<std::string> texts = {file_text((source_dir / "README.md").string()), rendered("vexload.1")};
    for (const fs::directory_entry& guide : fs::directory_iterator(source_dir / "docs"))
        if (guide.path().extension() == ".md")
            texts.push_back(file_text(guide.path().string()));
    int count = 0;
    for (const std::string& text : texts) {
        for (const std::string& words : module_loads(text)) {
            ++count;
            EXPECT_EQ(words.rfind(" -a ", 0), 0u) << "modprobe" << words;
            EXPECT_NE(words.find(" parport_pc"), std::string::npos) << "modprobe" << words;
            EXPECT_NE(words.find(" ppdev"), std::string::npos) << "modprobe" << words;
        }
    }
    EXPECT_GE(count, 2);
}


TEST_F(Manual, VexloadOcdPageHasEveryEngineOptionAndMessage)
{
    const std::string page = rendered("vexload-ocd.1");
    std::vector<fs::path> sources;
    for (const fs::directory_entry& source : fs::directory_iterator(source_dir / "ocd"))
        if (source.path().extension() == ".cpp")
            sources.push_back(fs::relative(source.path(), source_dir));
    sources.push_back("common/long_options.cpp"); // the reader of the engine options
    const std::vector<found_message> messages = program_messages(sources);
    ASSERT_GT(messages.size(), 10u) << "the messages were not found in the code";
    for (const found_message& m : messages)
        EXPECT_NE(page.find(m.piece), std::string::npos) << m.file << ": \"" << m.piece << "\"";
    for (const char* option : {"--openocd", "--tap", "--help", "--version", "EXIT STATUS", "reset_config srst_only"})
        EXPECT_NE(page.find(option), std::string::npos) << option;
}

} // namespace
