// SPDX-License-Identifier: MIT
// The Windows platform layer with the port-I/O binding, run as a program
// beside each stand-in WinIo.dll (or none). Under Wine, as on a Windows
// without the port driver, the process is refused the port instructions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace {

const std::string cases_dir = CASES_DIR;

std::string probe_in(const std::string& library_case)
{
    return cases_dir + "/" + library_case + "/port_probe.exe";
}

const std::string no_access_378 =
    "Cannot access I/O port 0x378: install WinIo.dll and its driver beside vexload.exe "
    "and run vexload as administrator.\n";
const std::string no_access_379 =
    "Cannot access I/O port 0x379: install WinIo.dll and its driver beside vexload.exe "
    "and run vexload as administrator.\n";

struct probe_case {
    const char* name;
    const char* library_case;
    std::vector<std::string> args;
    std::string out;
    int status;
};

void run_cases(const std::vector<probe_case>& cases)
{
    for (const probe_case& c : cases) {
        const program_result run = run_program(probe_in(c.library_case), c.args);
        EXPECT_EQ(run.out, c.out) << c.name;
        EXPECT_EQ(run.status, c.status) << c.name;
        EXPECT_EQ(run.err, "") << c.name;
    }
}

TEST(WindowsPlatform, LoadsTheLibraryBesideTheProgram)
{
    run_cases({
        // The message box returns by itself where there is no display.
        {"no library", "absent", {"load", "journal"}, "load 0\njournal none\n", 0},
        {"complete", "complete", {"load", "journal"},
            "load 1\njournal InitializeWinIo\nWinIo released\n", 0},
        {"SetPhysLong missing: released at once, nothing called", "no_set_phys_long", {"load", "journal"},
            "WinIo released\nload 0\njournal none\n", 0},
        {"InitializeWinIo reports failure", "init_fails", {"load", "journal"},
            "load 1\njournal InitializeWinIo\nWinIo released\n", 0},
        {"released once also when the process ends by exit", "complete", {"load", "exit", "3"},
            "load 1\nWinIo released\n", 3},
        {"exit -1 is status 255", "complete", {"load", "exit", "-1"}, "load 1\nWinIo released\n", 255},
    });
}

TEST(WindowsPlatform, LoadsByBareFileNameFromTheProgramFolderOnly)
{
    const std::string library = cases_dir + "/complete/WinIo.dll";
    std::string windows_library = library;
    for (char& c : windows_library)
        if (c == '/')
            c = '\\';
    run_cases({
        {"library only in the current directory", "absent",
            {"cd", cases_dir + "/complete", "load", "journal"}, "load 0\njournal none\n", 0},
        {"bare name beside the program", "complete", {"module", "WinIo.dll"},
            "module 1\nWinIo still loaded at process end\n", 0},
        {"bare name from the system folder", "absent", {"module", "kernel32.dll"}, "module 1\n", 0},
        {"a path with slashes", "absent", {"module", library}, "module 0\n", 0},
        {"a path with backslashes", "absent", {"module", windows_library}, "module 0\n", 0},
        {"relative to the current directory", "absent", {"cd", cases_dir, "module", ".\\complete\\WinIo.dll"},
            "module 0\n", 0},
        {"a drive-relative name", "absent", {"cd", cases_dir + "/complete", "module", "Z:WinIo.dll"},
            "module 0\n", 0},
        {"empty name", "absent", {"module", ""}, "module 0\n", 0},
    });
}

TEST(WindowsPlatform, RefusedPortsGoThroughTheLibrary)
{
    run_cases({
        {"first access a write", "complete", {"load", "w", "10", "w", "1A", "r", "w", "16", "r", "journal"},
            "load 1\nr 00\nr 80\njournal InitializeWinIo\nSetPortVal 378 10 1\nSetPortVal 378 1A 1\n"
            "GetPortVal 379 1\nSetPortVal 378 16 1\nGetPortVal 379 1\nWinIo released\n",
            0},
        {"first access a read", "complete", {"load", "r", "w", "18", "r", "journal"},
            "load 1\nr 80\nr 00\njournal InitializeWinIo\nGetPortVal 379 1\nSetPortVal 378 18 1\n"
            "GetPortVal 379 1\nWinIo released\n",
            0},
        {"a failed InitializeWinIo changes nothing here", "init_fails", {"load", "w", "F7", "journal"},
            "load 1\njournal InitializeWinIo\nSetPortVal 378 F7 1\nWinIo released\n", 0},
        {"loaded by the first access", "complete", {"w", "10", "journal"},
            "journal InitializeWinIo\nSetPortVal 378 10 1\nWinIo released\n", 0},
    });
}

TEST(WindowsPlatform, RefusedPortsWithoutTheLibraryEndTheRun)
{
    run_cases({
        {"no library, write first", "absent", {"load", "w", "10", "w", "12"}, "load 0\n" + no_access_378, 255},
        {"no library, read first", "absent", {"load", "r"}, "load 0\n" + no_access_379, 255},
        {"incomplete library", "no_set_phys_long", {"load", "w", "10"},
            "WinIo released\nload 0\n" + no_access_378, 255},
        {"library without its driver, write first", "ports_refused", {"load", "w", "10", "w", "12", "journal"},
            "load 1\n" + no_access_378 + "WinIo released\n", 255},
        {"library without its driver, read first", "ports_refused", {"load", "r", "journal"},
            "load 1\n" + no_access_379 + "WinIo released\n", 255},
    });
}

TEST(WindowsPlatform, RunProgramPassesArgumentsAndStatusLikeAShell)
{
    run_cases({
        {"words that need quoting", "absent",
            {"args", "", "a b", "tab\there", "q\"uote", "back\\slash", "end\\", "two\\\\", "bs\\\"q", "\""},
            "[][a b][tab\there][q\"uote][back\\slash][end\\][two\\\\][bs\\\"q][\"]\n", 0},
    });
    // An access violation is no normal exit; it ends with one line, no debugger.
    const program_result crash = run_program(probe_in("absent"), {"crash"});
    EXPECT_EQ(crash.status, -1);
    EXPECT_EQ(crash.out, "");
    EXPECT_EQ(crash.err.rfind("Fatal exception 0xC0000005 at ", 0), 0u) << crash.err;
    EXPECT_EQ(crash.err.find('\n'), crash.err.size() - 1) << crash.err;
}

} // namespace
