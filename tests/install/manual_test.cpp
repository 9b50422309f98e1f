// SPDX-License-Identifier: MIT
// The manual pages: clean roff, and every message a run can print is in
// them. The messages are read from the code itself, so that a message added
// or reworded without its entry in the manual fails here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/file_text.h"
#include "tests/support/run_program.h"

namespace {

namespace fs = std::filesystem;

const fs::path source_dir = SOURCE_DIR;

bool have_groff()
{
    return run_program("/bin/sh", {"-c", "command -v groff >/dev/null"}).status == 0;
}


// Runs of white space as one blank: the manual wraps and indents freely.
std::string squeezed(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (blank) {
            if (!out.empty() && out.back() != ' ')
                out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    return out;
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
    const std::string plain = std::regex_replace(format, std::regex("%[-+ #0-9.]*[a-zA-Z%]"), "\x01");
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
    for (const char c : plain) {
        if (c == '\x01' || c == '\n' || c == '\r')
            keep();
        else
            piece.push_back(c);
    }
    keep();
    return out;
}

struct found_message {
    std::string file;
    std::string piece;
};

// Every fixed piece of the messages printed by the files of these folders.
std::vector<found_message> tool_messages()
{
    std::vector<found_message> found;
    const std::regex call(R"((?:\bprintf|\bfprintf|\bmessage_box)\(\s*(?:stderr\s*,\s*)?)");
    for (const char* folder : {"app", "link", "target", "board", "flash", "platform"}) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(source_dir / folder)) {
            if (entry.path().extension() != ".cpp" || entry.path().filename() == "usage.cpp")
                continue; // the usage text is the banner, shown by -h
            const std::string text = file_text(entry.path().string());
            for (std::sregex_iterator m(text.begin(), text.end(), call), end; m != end; ++m) {
                const size_t at = static_cast<size_t>(m->position() + m->length());
                for (const std::string& piece : pieces(joined_literals(text, at)))
                    found.push_back({entry.path().filename().string(), piece});
            }
        }
    }
    return found;
}

// A program's own messages: literals of error texts and of its prints.
std::vector<found_message> program_messages(const std::vector<fs::path>& files)
{
    std::vector<found_message> found;
    const std::regex statement(
        R"((?:\berror = |\brefuse\(|\bcannot_start\(|\blost\(|\bfprintf\(\s*stderr\s*,)([^;]*);)");
    for (const fs::path& file : files) {
        const std::string text = file_text((source_dir / file).string());
        for (std::sregex_iterator m(text.begin(), text.end(), statement), end; m != end; ++m) {
            const std::string body = (*m)[1];
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
        "sim/faults.cpp", "sim/program/serve.cpp"});
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

TEST_F(Manual, VexloadPageHasEveryMessageOfTheTool)
{
    const std::string page = rendered("vexload.1");
    const std::vector<found_message> messages = tool_messages();
    ASSERT_GT(messages.size(), 25u) << "the messages were not found in the code";
    for (const found_message& m : messages)
        EXPECT_NE(page.find(m.piece), std::string::npos) << m.file << ": \"" << m.piece << "\"";
    for (const char* option : {"-m model", "-o pal|ntsc", "-t n", "-c word", "-h", "EXIT STATUS"})
        EXPECT_NE(page.find(option), std::string::npos) << option;
}

TEST_F(Manual, VexloadSimPageHasEveryBoxOptionFaultAndMessage)
{
    const std::string page = rendered("vexload-sim.1");
    const std::vector<found_message> messages = sim_messages();
    ASSERT_GT(messages.size(), 15u) << "the messages were not found in the code";
    for (const found_message& m : messages)
        EXPECT_NE(page.find(m.piece), std::string::npos) << m.file << ": \"" << m.piece << "\"";

    // The options, faults (with their numbers' names) and chips that
    // vexload-sim --help lists from its tables.
    const program_result help = run_program(std::string(BUILD_DIR) + "/bin/vexload-sim", {"--help"});
    ASSERT_EQ(help.status, 0);
    const std::regex names(R"(--[a-z][a-z-]+|\b[a-z]+(?:-[a-z0-9]+)+(?:=[A-Z]\b)?|\b[A-Z][A-Z0-9]*[0-9][A-Z0-9]*\b)");
    int count = 0;
    for (std::sregex_iterator m(help.out.begin(), help.out.end(), names), end; m != end; ++m, ++count) {
        std::string name = m->str();
        if (name.size() > 2 && name[name.size() - 2] == '=')
            name.back() = static_cast<char>(std::tolower(static_cast<unsigned char>(name.back())));
        EXPECT_NE(page.find(name), std::string::npos) << name;
    }
    EXPECT_GT(count, 40);
}

// A modprobe of several modules needs -a: without it the second name becomes
// a parameter of the first. Every such command the README and the pages give
// loads both port modules this way.
TEST_F(Manual, ModprobeCommandsLoadEachModuleTheyName)
{
    const std::regex modprobe(R"(modprobe((?: +[-a-z_]+)*? +(?:parport_pc|ppdev)\b(?: +[-a-z_]+)*))");
    const std::vector<std::string> texts = {file_text((source_dir / "README.md").string()), rendered("vexload.1")};
    int count = 0;
    for (const std::string& text : texts) {
        for (std::sregex_iterator m(text.begin(), text.end(), modprobe), end; m != end; ++m, ++count) {
            const std::string words = (*m)[1];
            EXPECT_EQ(words.rfind(" -a ", 0), 0u) << m->str();
            EXPECT_NE(words.find(" parport_pc"), std::string::npos) << m->str();
            EXPECT_NE(words.find(" ppdev"), std::string::npos) << m->str();
        }
    }
    EXPECT_GE(count, 2);
}


TEST_F(Manual, VexloadOcdPageHasEveryEngineOptionAndMessage)
{
    const std::string page = rendered("vexload-ocd.1");
    const std::vector<found_message> messages =
        program_messages({"ocd/main.cpp", "ocd/engine_options.cpp", "ocd/link_ocd.cpp", "ocd/tcl_client.cpp"});
    ASSERT_GT(messages.size(), 10u) << "the messages were not found in the code";
    for (const found_message& m : messages)
        EXPECT_NE(page.find(m.piece), std::string::npos) << m.file << ": \"" << m.piece << "\"";
    for (const char* option : {"--openocd", "--tap", "--help", "EXIT STATUS", "reset_config srst_only"})
        EXPECT_NE(page.find(option), std::string::npos) << option;
}

} // namespace
