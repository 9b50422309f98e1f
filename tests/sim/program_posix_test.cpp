// SPDX-License-Identifier: MIT
// vexload-sim with what POSIX systems give: a signal in the middle of a run,
// a reader that goes away, a server whose client stops reading, a flash file
// behind a link, with a mode, taken by another run, or that cannot be written.
#ifndef _WIN32

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/child_program.h"
#include "tests/sim/remote_bitbang.h"
#include "tests/support/loopback.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_file.h"
#include "tests/support/unprivileged.h"

namespace {

constexpr size_t chip_words = 0x400000;
constexpr int patience_ms = 20000; // a bound on every wait, far beyond a run

std::vector<uint16_t> words_of(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint16_t> words(chip_words);
    in.read(reinterpret_cast<char*>(words.data()), static_cast<std::streamsize>(chip_words * 2));
    return words;
}

struct stop_case {
    const char* name;
    const char* after;  // on standard output
    int signal;         // 0: close the output instead
    int status;
    const char* said;
};

// Every word starts programmed to 0: whatever the run erased or programmed
// before the stop shows in the file.
TEST(ProgramSignals, StopSavesTheHalfDoneArrayAndSummarises)
{
    const stop_case cases[] = {
        {"Ctrl-C in the erase", "Erase flash(all).....", SIGINT, 130, "stopped by SIGINT"},
        {"SIGTERM in the download", " 5%\r", SIGTERM, 143, "stopped by SIGTERM"},
        {"reader gone in the download", " 5%\r", 0, 141, "stopped by SIGPIPE"},
    };
    for (const stop_case& c : cases) {
        const std::string flash = scratch_file("signal.flash");
        const std::vector<uint16_t> zeros(chip_words, 0);
        std::ofstream(flash, std::ios::binary)
            .write(reinterpret_cast<const char*>(zeros.data()), static_cast<std::streamsize>(chip_words * 2));
        child_program run;
        // -t 20: a run that lasts seconds, so that the stop lands where it was sent.
        ASSERT_TRUE(child_start(run, VEXLOAD_SIM_PATH, {"--flash", flash, "--", "-m", "zorvan50s", "-t", "20"}));
        EXPECT_TRUE(child_wait_for(run, c.after, false, patience_ms)) << c.name << ": " << run.out;
        if (c.signal != 0)
            kill(run.pid, c.signal);
        else
            child_close_out(run);
        EXPECT_EQ(child_finish(run, patience_ms), c.status) << c.name << ": " << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << c.name << ": " << run.err;
        EXPECT_NE(run.err.find("\nimage in flash: no\n"), std::string::npos) << c.name << ": " << run.err;

        const std::vector<uint16_t> left = words_of(flash);
        size_t erased = 0;
        for (const uint16_t w : left)
            erased += w == 0xFFFF;
        EXPECT_GT(erased, 0u) << c.name << ": the erase before the stop was not saved";
        EXPECT_LT(erased, chip_words) << c.name;
        EXPECT_FALSE(std::filesystem::exists(flash + ".lock")) << c.name;

        const program_result again = run_program(VEXLOAD_SIM_PATH, {"--flash", flash, "-m", "zorvan50s"});
        EXPECT_EQ(again.status, 0) << c.name << ": " << again.err;
        EXPECT_NE(again.out.find("Complete !\n"), std::string::npos) << c.name;
        EXPECT_NE(again.err.find("image in flash: yes"), std::string::npos) << c.name;
        std::filesystem::remove(flash);
    }
}

// What the server sends until it closes, or until timeout_ms; closed tells which.
std::string read_until_closed(int fd, int timeout_ms, bool& closed)
{
    std::string text;
    closed = false;
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, timeout_ms) > 0) {
        char buffer[256];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            closed = true;
            break;
        }
        text.append(buffer, static_cast<size_t>(got));
    }
    return text;
}

// Starts vexload-sim --serve 0 with these box options; the port it listens on, or -1.
int serve(child_program& server, std::vector<std::string> options)
{
    options.insert(options.begin(), {"--serve", "0"});
    const std::string listening = "remote_bitbang on 127.0.0.1:";
    if (!child_start(server, VEXLOAD_SIM_PATH, options) || !child_wait_for(server, listening, true, patience_ms) ||
        !child_wait_for(server, "\n", true, patience_ms))
        return -1;
    return std::stoi(server.err.substr(server.err.find(listening) + listening.size()));
}

TEST(ProgramSignals, ServerStopsWhateverItsClientDoes)
{
    for (const int signal : {SIGINT, SIGTERM}) {
        child_program server;
        const int port = serve(server, {});
        ASSERT_GT(port, 0) << server.err;

        // A client that asks for TDO without end and never reads the answers:
        // its replies fill both socket buffers.
        const int greedy = loopback_connect(port);
        ASSERT_GE(greedy, 0);
        fcntl(greedy, F_SETFL, O_NONBLOCK);
        const std::string reads(65536, 'R');
        for (int i = 0; i < 2000 && send(greedy, reads.data(), reads.size(), MSG_NOSIGNAL) > 0; ++i)
            usleep(1000);

        // A second client is told at once that the box is taken.
        const int second = loopback_connect(port);
        ASSERT_GE(second, 0);
        bool closed = false;
        const std::string told = read_until_closed(second, 5000, closed);
        EXPECT_TRUE(closed) << "the second client was left waiting";
        EXPECT_NE(told.find("busy"), std::string::npos) << told;
        close(second);

        kill(server.pid, signal);
        EXPECT_EQ(child_finish(server, 5000), 0) << "the server did not stop: " << server.err;
        EXPECT_NE(server.err.find("port accesses: "), std::string::npos) << server.err;
        close(greedy);
    }
}

// The option reaches the served box: after the halt, Test-Logic-Reset lets the
// core run only with --tap-reset-releases-stop, and the word it is given then
// fails (the status bit, the last shift clock of the read after it).
TEST(ProgramServe, TapResetReleasesTheStopOnlyWithTheOption)
{
    using namespace remote_bitbang;
    const std::vector<std::string> boxes[] = {{}, {"--tap-reset-releases-stop"}};
    for (const std::vector<std::string>& options : boxes) {
        const bool released = !options.empty();
        child_program server;
        const int port = serve(server, options);
        ASSERT_GT(port, 0) << server.err;
        const std::string replies = session(port, "s" + reset_to_idle() + exchange(debug_control, 0xB8000000) + "r" +
            exchange(debug_control, 0x80000000) + reset_to_idle() + exchange(execute, 0x7C73FAA6) +
            exchange(data_register, 0, false) + "Q");
        ASSERT_GT(replies.size(), 3u);
        EXPECT_EQ(replies[replies.size() - 3], released ? '1' : '0') << released;
        kill(server.pid, SIGTERM);
        EXPECT_EQ(child_finish(server, patience_ms), 0) << server.err;
    }
}

// A port taken by someone else: the server says so, and there is no summary
// of a run that never was.
TEST(ProgramSignals, ServerThatCannotListenPrintsNoSummary)
{
    const int taken = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(taken, 1), 0);
    ASSERT_EQ(getsockname(taken, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const program_result r = run_program(VEXLOAD_SIM_PATH, {"--serve", std::to_string(ntohs(address.sin_port))});
    close(taken);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot listen"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("simulated time"), std::string::npos) << r.err;
}

namespace fs = std::filesystem;

struct file_case {
    const char* name;
    bool through_link;
    fs::perms mode;
};

TEST(ProgramFlashFile, LinksAreWrittenThroughAndModesKept)
{
    const file_case cases[] = {
        {"a file of mode 640", false, fs::perms(0640)},
        {"a link to a file of mode 600", true, fs::perms(0600)},
    };
    for (const file_case& c : cases) {
        const std::string file = scratch_file("mode.flash");
        const std::string link = scratch_file("link.flash");
        std::ofstream(file, std::ios::binary) << std::string(chip_words * 2, '\xFF');
        fs::permissions(file, c.mode);
        if (c.through_link)
            fs::create_symlink(file, link);
        const program_result r =
            run_program(VEXLOAD_SIM_PATH, {"--flash", c.through_link ? link : file, "-m", "pellox-s"});
        EXPECT_EQ(r.status, 0) << c.name << ": " << r.err;
        EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, c.mode) << c.name;
        EXPECT_NE(words_of(file), std::vector<uint16_t>(chip_words, 0xFFFF)) << c.name << ": image not in the file";
        if (c.through_link) {
            EXPECT_TRUE(fs::is_symlink(link)) << c.name << ": the link was replaced";
        }
        for (const fs::directory_entry& e : fs::directory_iterator(fs::path(file).parent_path()))
            EXPECT_EQ(e.path().string().rfind(file + ".", 0), std::string::npos) << e.path() << " left behind";
        fs::remove(link);
        fs::remove(file);
    }
}

struct unwritable_case {
    const char* name;
    fs::perms folder_mode;
    bool file_there; // 8 MiB, mode 0444: a run would otherwise go on and replace it
    const char* said; // after the file's folder: what the refusal names
};

// A flash file the run could not save at its end, as a user without root's
// rights meets it: refused before the box is touched, the file or the folder named.
TEST(ProgramFlashFile, FileOrFolderThatCannotBeWrittenIsRefused)
{
    const std::string cannot = cannot_drop_root();
    if (!cannot.empty())
        GTEST_SKIP() << cannot;
    const unwritable_case cases[] = {
        {"a read-only file", fs::perms(0777), true, "flash file {F} cannot be written: Permission denied"},
        {"a folder not writable", fs::perms(0555), false,
            "folder {D} of flash file {F} cannot be written: Permission denied"},
    };
    const std::string scratch = scratch_file("unwritable");
    fs::create_directories(scratch);
    fs::permissions(scratch, fs::perms(0777));
    const std::string program = scratch + "/vexload-sim"; // where the other user can run it
    fs::copy_file(VEXLOAD_SIM_PATH, program);
    for (const unwritable_case& c : cases) {
        const std::string folder = scratch + "/box";
        const std::string file = folder + "/box.flash";
        fs::create_directory(folder);
        if (c.file_there) {
            std::ofstream(file, std::ios::binary) << std::string(chip_words * 2, '\xFF');
            fs::permissions(file, fs::perms(0444));
        }
        fs::permissions(folder, c.folder_mode);
        std::vector<std::string> words = unprivileged();
        words.insert(words.end(), {program, "--flash", file, "-m", "zorvan50s"});
        const program_result r = run_program("/usr/bin/env", words);
        std::string said = c.said;
        said.replace(said.find("{F}"), 3, file);
        if (said.find("{D}") != std::string::npos)
            said.replace(said.find("{D}"), 3, folder);
        EXPECT_EQ(r.status, 2) << c.name;
        EXPECT_EQ(r.err, "vexload-sim: " + said + "\n") << c.name;
        EXPECT_EQ(r.out, "") << c.name;
        if (c.file_there) {
            EXPECT_EQ(words_of(file), std::vector<uint16_t>(chip_words, 0xFFFF)) << c.name;
        }
        fs::permissions(folder, fs::perms(0777));
        fs::remove_all(folder);
    }
    fs::remove_all(scratch);
}

// One flash file, two runs: the second refuses at once, before it runs.
TEST(ProgramFlashFile, SecondRunOnOneFileRefuses)
{
    const std::string flash = scratch_file("shared.flash");
    child_program first;
    ASSERT_TRUE(child_start(first, VEXLOAD_SIM_PATH, {"--flash", flash, "--", "-m", "zorvan50s", "-t", "20"}));
    ASSERT_TRUE(child_wait_for(first, "Erase flash(all)", false, patience_ms)) << first.out;
    const program_result second = run_program(VEXLOAD_SIM_PATH, {"--flash", flash, "-m", "zorvan50s"});
    EXPECT_EQ(second.status, 2) << second.err;
    EXPECT_NE(second.err.find("is in use by another run"), std::string::npos) << second.err;
    EXPECT_EQ(second.out, "");
    kill(first.pid, SIGTERM);
    EXPECT_EQ(child_finish(first, patience_ms), 143) << first.err;
    const program_result third = run_program(VEXLOAD_SIM_PATH, {"--flash", flash, "-m", "zorvan50s"});
    EXPECT_EQ(third.status, 0) << third.err;
    fs::remove(flash);
}

// The register test as sigrok's JTAG decoder reads it from the waveform of
// the link tests alone: the pattern written, then read back.
TEST(ProgramWaveform, SigrokDecodesTheRegisterTest)
{
    if (run_program("/bin/sh", {"-c", "command -v sigrok-cli >/dev/null"}).status != 0)
        GTEST_SKIP() << "sigrok-cli is not installed";
    const std::string vcd = scratch_file("sigrok.vcd");
    const program_result r = run_program(VEXLOAD_SIM_PATH, {"--vcd", vcd, "--vcd-until", "link-tests", "-m", "zorvan50s"});
    ASSERT_EQ(r.status, 0) << r.err;
    const program_result decoded = run_program("/bin/sh", {"-c", "sigrok-cli -i '" + vcd +
        "' -P jtag:tck=tck:tms=tms:tdi=tdi:tdo=tdo -A jtag=bitstring-tdi:bitstring-tdo"});
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    // 33 bits, the final bit first: 1 then 0xAA55AA55; read back behind a final bit of 0.
    const std::string written = "DR TDI: 110101010010101011010101001010101 (0x1aa55aa55), 33 bits\n";
    const std::string read_back = "DR TDO: 010101010010101011010101001010101 (0xaa55aa55), 33 bits\n";
    const size_t at = decoded.out.find(written);
    EXPECT_NE(at, std::string::npos) << decoded.out.substr(0, 2000);
    EXPECT_NE(decoded.out.find(read_back, at), std::string::npos) << decoded.out.substr(0, 2000);
    std::filesystem::remove(vcd);
}

} // namespace

#endif
