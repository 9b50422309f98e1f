// SPDX-License-Identifier: MIT
// The port-I/O library binding and the hardware port, for real: link_probe runs
// from a directory of its own with a test build of WinIo.dll beside it (or in
// the install's lib/vexload, or nowhere), as vexload would. Nothing here gains
// port access: the probe never has the ports, so its first port instruction faults.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace {

namespace fs = std::filesystem;

const std::string failed_message =
    "\nCommunication with box FAILED. Retry after enlarge time out value with -t option\n";
const std::string refused_378 =
    "Parallel port 0x378 is not accessible: run vexload as root, or join the group that owns /dev/parport0; a PC without a parallel port uses vexload-ocd.\n";
const std::string refused_379 =
    "Parallel port 0x379 is not accessible: run vexload as root, or join the group that owns /dev/parport0; a PC without a parallel port uses vexload-ocd.\n";
const std::string not_found = "WinIo.dll not found.\n";
const std::string at_exit_released = "exit handlers run\ndlclose calls 1, library mapped 0\n";
const std::string at_exit_never_loaded = "exit handlers run\ndlclose calls 0, library mapped 0\n";

// Where a test build of WinIo.dll is put for one case; nullptr: nowhere.
struct layout {
    const char* beside = nullptr;    // bin/WinIo.dll, beside the probe
    const char* installed = nullptr; // lib/vexload/WinIo.dll
    const char* elsewhere = nullptr; // other/WinIo.dll, for the current directory and LD_LIBRARY_PATH
};

struct probe_case {
    const char* name;
    layout files;
    std::vector<std::string> words; // "%other%" stands for the other/ directory
    std::string out;
    std::string err;
    int status;
    bool on_library_path = false;
};

class case_directory {
public:
    explicit case_directory(const layout& files)
    {
        std::string pattern = std::string(LINK_CASES_DIR) + "/case-XXXXXX";
        root = mkdtemp(pattern.data());
        fs::create_directories(root / "bin");
        fs::create_directories(root / "lib/vexload");
        fs::create_directories(root / "other");
        fs::copy_file(LINK_PROBE, probe());
        place(files.beside, root / "bin");
        place(files.installed, root / "lib/vexload");
        place(files.elsewhere, root / "other");
    }
    ~case_directory() { fs::remove_all(root); }
    std::string probe() const { return (root / "bin/link_probe").string(); }
    std::string other() const { return (root / "other").string(); }

private:
    static void place(const char* library, const fs::path& directory)
    {
        if (library != nullptr)
            fs::copy_file(library, directory / "WinIo.dll");
    }
    fs::path root;
};

program_result run_case(const probe_case& c)
{
    case_directory directory(c.files);
    std::vector<std::string> words;
    for (const std::string& word : c.words)
        words.push_back(word == "%other%" ? directory.other() : word);
    if (c.on_library_path)
        setenv("LD_LIBRARY_PATH", directory.other().c_str(), 1);
    program_result result = run_program(directory.probe(), words);
    if (c.on_library_path)
        unsetenv("LD_LIBRARY_PATH");
    return result;
}

void check_cases(const std::vector<probe_case>& cases)
{
    for (const probe_case& c : cases) {
        SCOPED_TRACE(c.name);
        const program_result result = run_case(c);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.status, c.status);
    }
}

TEST(PortIoLibrary, WhereTheLibraryIsLookedFor)
{
    check_cases({
        {"beside the executable", {TEST_WINIO_COMPLETE}, {"load"},
         "InitializeWinIo\nload 1 ++++++++\n" + at_exit_released, "", 0},
        {"the install's library directory", {nullptr, TEST_WINIO_COMPLETE}, {"load"},
         "InitializeWinIo\nload 1 ++++++++\n" + at_exit_released, "", 0},
        {"beside the executable comes first", {TEST_WINIO_INIT_REFUSED, TEST_WINIO_COMPLETE}, {"load"},
         "InitializeWinIo refused\nload 1 ++++++++\n" + at_exit_released, "", 0},
        {"absent", {}, {"load"}, "load 0 -------- no module\n" + at_exit_never_loaded, not_found, 0},
        {"never the current directory", {nullptr, nullptr, TEST_WINIO_COMPLETE}, {"chdir", "%other%", "load"},
         "load 0 -------- no module\n" + at_exit_never_loaded, not_found, 0},
        {"never LD_LIBRARY_PATH", {nullptr, nullptr, TEST_WINIO_COMPLETE}, {"load"},
         "load 0 -------- no module\n" + at_exit_never_loaded, not_found, 0, true},
    });
}

TEST(PortIoLibrary, LoadOutcomes)
{
    check_cases({
        {"InitializeWinIo refusing still loads", {TEST_WINIO_INIT_REFUSED}, {"load"},
         "InitializeWinIo refused\nload 1 ++++++++\n" + at_exit_released, "", 0},
        // Released at once, silently, nothing left to call and nothing to release at exit.
        {"only SetPhysLong missing", {TEST_WINIO_NO_SET_PHYS_LONG}, {"load"},
         "load 0 -------- no module\n" + at_exit_released, "", 0},
        {"an entry point in the middle missing", {TEST_WINIO_NO_SET_PORT_VAL}, {"load"},
         "load 0 -------- no module\n" + at_exit_released, "", 0},
        {"a second unload does nothing", {TEST_WINIO_COMPLETE}, {"load", "unload", "unload"},
         "InitializeWinIo\nload 1 ++++++++\nunloaded\nunloaded\n" + at_exit_released, "", 0},
        {"a second load gives the first handle back", {TEST_WINIO_COMPLETE}, {"load", "load"},
         "InitializeWinIo\nload 1 ++++++++\nInitializeWinIo\nload 1 ++++++++\n"
         "exit handlers run\ndlclose calls 2, library mapped 0\n", "", 0},
    });
}

TEST(PortIoLibrary, ReleasedOnceAfterTheFatalPath)
{
    check_cases({
        {"link failure", {TEST_WINIO_COMPLETE}, {"load", "fatal"},
         "InitializeWinIo\nload 1 ++++++++\n" + failed_message + at_exit_released, "", 255},
        {"link failure, nothing loaded", {}, {"load", "fatal"},
         "load 0 -------- no module\n" + failed_message + at_exit_never_loaded, not_found, 255},
    });
}

// The port loads the library at its first access, as vexload's run does.
TEST(HardwarePort, RefusedPortInstructionsFallBackOnTheLibrary)
{
    check_cases({
        {"writes and reads through the library", {TEST_WINIO_INIT_REFUSED},
         {"write", "16", "write", "F7", "read", "read"},
         "InitializeWinIo refused\nSetPortVal 378 16 1\nSetPortVal 378 F7 1\n"
         "GetPortVal 379 1\nread 5A\nGetPortVal 379 1\nread 5A\n" + at_exit_released, "", 0},
        {"a read first", {TEST_WINIO_INIT_REFUSED}, {"read", "write", "10"},
         "InitializeWinIo refused\nGetPortVal 379 1\nread 5A\nSetPortVal 378 10 1\n" + at_exit_released, "", 0},
        {"a load before the first access is not repeated", {TEST_WINIO_INIT_REFUSED}, {"load", "write", "10"},
         "InitializeWinIo refused\nload 1 ++++++++\nSetPortVal 378 10 1\n" + at_exit_released, "", 0},
    });
}

TEST(HardwarePort, NeitherWayGivesOneLineAndMinusOne)
{
    check_cases({
        {"no library, a write", {}, {"write", "10"}, refused_378 + at_exit_never_loaded, not_found, 255},
        {"no library, a read", {}, {"read"}, refused_379 + at_exit_never_loaded, not_found, 255},
        {"library rejected at resolution", {TEST_WINIO_NO_SET_PHYS_LONG}, {"write", "10"},
         refused_378 + at_exit_released, "", 255},
        {"library refuses the port", {TEST_WINIO_PORTS_REFUSED}, {"write", "10"},
         "InitializeWinIo\nSetPortVal 378 10 1\n" + refused_378 + at_exit_released, "", 255},
        {"library refuses the port, a read", {TEST_WINIO_PORTS_REFUSED}, {"read"},
         "InitializeWinIo\nGetPortVal 379 1\n" + refused_379 + at_exit_released, "", 255},
    });
}

} // namespace
