// SPDX-License-Identifier: MIT
// The arm64 build (a Raspberry Pi's) as its package installs it, run on this
// machine under qemu-user: vexload-sim and vexload-ocd, the latter through
// this machine's real OpenOCD on the served box, must print what this
// machine's vexload-sim of the same images prints, end with the same status
// and leave the same flash; vexload says that it reaches the port through
// ppdev only; the package is arm64, installs under /usr and is lintian-clean.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/ocd/served_box.h"
#include "tests/support/file_text.h"
#include "tests/support/lintian.h"
#include "tests/support/patterned_flash.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_file.h"
#include "tests/support/unprivileged.h"

namespace {

namespace fs = std::filesystem;

const std::string arm64_prefix = ARM64_PREFIX;
const std::string arm64_sim = arm64_prefix + "/bin/vexload-sim";
const std::string arm64_ocd = arm64_prefix + "/bin/vexload-ocd";
const std::string real_sim = REAL_PREFIX "/bin/vexload-sim";
// Where in the flash file the tool writes an image: 0xFFFD0000 in the window from 0xFF800000.
constexpr size_t download_offset = 0x7D0000;

program_result shell(const std::string& command)
{
    return run_program("/bin/sh", {"-c", command});
}

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Why the arm64 programs cannot be had here; empty when they can.
std::string arm64_missing()
{
    if (shell("command -v aarch64-linux-gnu-g++ >/dev/null").status != 0)
        return "the arm64 cross compiler is not installed (scripts/setup installs g++-aarch64-linux-gnu)";
    if (shell("command -v qemu-aarch64 >/dev/null || command -v qemu-aarch64-static >/dev/null").status != 0)
        return "qemu-user is not installed (scripts/setup installs it)";
    return "";
}

// An arm64 program of the package, under the emulator.
std::vector<std::string> emulated(const std::string& program, std::vector<std::string> args)
{
    args.insert(args.begin(), program);
    return args;
}

program_result run_arm64(const std::string& program, const std::vector<std::string>& args)
{
    return run_program(ARM64_RUN, emulated(program, args));
}

class Arm64 : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string missing = arm64_missing();
        if (!missing.empty())
            GTEST_SKIP() << missing;
        ASSERT_TRUE(fs::exists(arm64_ocd)) << "the arm64_build fixture did not run";
        ASSERT_TRUE(fs::exists(real_sim)) << "the real_images_build fixture did not run";
    }
    std::string flash(const std::string& stem) { return scratch.flash(stem); }
    scratch_files scratch;
};

// The same images as this machine's real-images tree, or no run of the two
// could be compared.
TEST_F(Arm64, CarriesTheImagesOfThisMachinesTree)
{
    const std::string images = file_text(arm64_prefix + "/share/doc/vexload/images.txt");
    EXPECT_NE(images.find(TEST_MODEL "-pal"), std::string::npos) << images;
    const std::string real = file_text(REAL_PREFIX "/share/doc/vexload/images.txt");
    // From the table's head on: the lines before it name the folder they came from.
    ASSERT_NE(images.find("\nimage "), std::string::npos) << images;
    EXPECT_EQ(images.substr(images.find("\nimage ")), real.substr(real.find("\nimage ")));
}

struct run_case {
    const char* name;
    std::vector<std::string> box_args;
    std::vector<std::string> tool_args;
    bool arm64_box;      // the served box is the arm64 vexload-sim too
    const char* verdict; // the run's last line
    bool image_written;  // the whole image is in the flash at the download address
};

void PrintTo(const run_case& c, std::ostream* out)
{
    *out << c.name;
}

// vexload-sim's words for the case's box, its flash file and the tool's options.
std::vector<std::string> sim_words(const run_case& c, const std::string& flash_file)
{
    std::vector<std::string> words = c.box_args;
    words.insert(words.end(), {"--flash", flash_file, "--"});
    words.insert(words.end(), c.tool_args.begin(), c.tool_args.end());
    return words;
}

class Arm64Run : public Arm64, public testing::WithParamInterface<run_case> {};

// vexload-sim alone, then vexload-ocd through OpenOCD on a served box, against
// this machine's vexload-sim of the same box.
TEST_P(Arm64Run, PrintsAndProgramsAsThisMachinesSim)
{
    const run_case& c = GetParam();
    const std::string reference_flash = flash("arm64-reference");
    const program_result reference = run_program(real_sim, sim_words(c, reference_flash));
    EXPECT_EQ(reference.status, 0) << reference.err;
    EXPECT_TRUE(reference.out.ends_with(c.verdict)) << reference.out.substr(reference.out.size() - 80);
    if (c.image_written) {
        const std::string image = file_text(ARM64_IMAGES "/" TEST_MODEL "-pal.bin");
        ASSERT_FALSE(image.empty());
        EXPECT_TRUE(file_text(reference_flash).substr(download_offset, image.size()) == image);
    }

    const std::string simulated_flash = flash("arm64-simulated");
    const program_result simulated = run_arm64(arm64_sim, sim_words(c, simulated_flash));
    EXPECT_EQ(simulated.status, reference.status) << simulated.err;
    EXPECT_EQ(simulated.out, reference.out);
    EXPECT_EQ(simulated.err, reference.err);
    EXPECT_TRUE(file_text(simulated_flash) == file_text(reference_flash));

    const std::string served_flash = flash("arm64-served");
    std::vector<std::string> box_args = c.box_args;
    box_args.insert(box_args.end(), {"--sector-erase-ms", "0", "--flash", served_flash});
    served_box box;
    std::string error;
    if (c.arm64_box)
        ASSERT_TRUE(box.start(ARM64_RUN, emulated(arm64_sim, box_args), error)) << error;
    else
        ASSERT_TRUE(box.start(real_sim, box_args, error)) << error;
    std::vector<std::string> ocd_args{"--openocd", "127.0.0.1:" + std::to_string(box.tcl_port), "--"};
    ocd_args.insert(ocd_args.end(), c.tool_args.begin(), c.tool_args.end());
    const program_result served = run_arm64(arm64_ocd, ocd_args);
    box.stop();
    EXPECT_EQ(served.status, reference.status) << served.err;
    EXPECT_EQ(served.out, reference.out) << served.err;
    EXPECT_TRUE(file_text(served_flash) == file_text(reference_flash));
}

INSTANTIATE_TEST_SUITE_P(ThroughOpenOcd, Arm64Run,
    testing::Values(
        // The whole programming with its read-back: the image in the flash.
        run_case{"full_run_with_verify", {}, {"-m", TEST_MODEL, "-c", "1"}, false, "\nComplete !\n", true},
        // The arm64 box served to OpenOCD, one word of it failing the read-back.
        run_case{"served_arm64_box_verify_mismatch", {"--fault", "verify-mismatch=700"},
                 {"-m", TEST_MODEL, "-c", "1"}, true, "\nProgramming failed !\n", false}),
    [](const testing::TestParamInfo<run_case>& info) { return std::string(info.param.name); });

// arm64 has no port instructions: the refusal names ppdev's reason alone and
// says that ppdev is the only way. Run unprivileged, so that a port this
// machine may have is never opened.
TEST_F(Arm64, VexloadReachesThePortThroughPpdevOnly)
{
    const std::string reason = cannot_drop_root();
    if (!reason.empty())
        GTEST_SKIP() << reason;
    if (shell("setpriv --reuid=nobody --regid=nogroup --clear-groups test -w /dev/parport0").status == 0)
        GTEST_SKIP() << "/dev/parport0 is open to every user here: vexload would drive it";
    // The package's vexload, its library and the emulator's runner where nobody reaches them.
    const std::string copy = scratch_file("arm64-usr");
    fs::create_directories(copy + "/bin");
    fs::create_directories(copy + "/lib/vexload");
    fs::copy_file(arm64_prefix + "/bin/vexload", copy + "/bin/vexload");
    fs::copy_file(arm64_prefix + "/lib/vexload/WinIo.dll", copy + "/lib/vexload/WinIo.dll");
    fs::copy_file(ARM64_RUN, copy + "/bin/run");
    for (const std::string& dir : {copy, copy + "/bin", copy + "/lib", copy + "/lib/vexload"})
        chmod(dir.c_str(), 0755);
    std::vector<std::string> words = unprivileged();
    words.insert(words.end(), {copy + "/bin/run", copy + "/bin/vexload", "-m", "zorvan50s"});
    const program_result r = run_program("/usr/bin/env", words);
    fs::remove_all(copy);
    EXPECT_EQ(r.status, 255) << r.err;
    const std::string refused = "Parallel port 0x378 is not accessible: /dev/parport0: ";
    EXPECT_EQ(r.out.rfind(refused, 0), 0u) << r.out;
    EXPECT_TRUE(r.out.ends_with(" (this processor has no port instructions: vexload reaches the port through "
                                "ppdev only; see PORT ACCESS in man vexload; a PC without a parallel port uses "
                                "vexload-ocd).\n"))
        << r.out;
    EXPECT_EQ(r.out.find("ioperm"), std::string::npos) << r.out;
}

// The package that the arm64_build fixture made and unpacked.
class Arm64Package : public Arm64 {
protected:
    void SetUp() override
    {
        Arm64::SetUp();
        if (IsSkipped())
            return;
        std::error_code ignored;
        for (const fs::directory_entry& entry : fs::directory_iterator(ARM64_PACKAGE, ignored))
            if (entry.path().extension() == ".deb")
                deb = entry.path().string();
        ASSERT_FALSE(deb.empty()) << "the arm64_build fixture made no .deb in " ARM64_PACKAGE;
    }
    std::string field(const std::string& name) const
    {
        return trimmed(shell("dpkg-deb -f '" + deb + "' " + name).out);
    }
    std::string deb;
};

// Named and marked arm64, its needs those of the arm64 libraries under their
// own names, every file under /usr and every program an arm64 one.
TEST_F(Arm64Package, IsArm64AndInstallsUnderUsr)
{
    EXPECT_EQ(fs::path(deb).filename(), "vexload_" PROJECT_VERSION_TEXT "_arm64-real-images.deb");
    EXPECT_EQ(field("Package"), "vexload");
    EXPECT_EQ(field("Version"), PROJECT_VERSION_TEXT);
    EXPECT_EQ(field("Architecture"), "arm64");
    const std::string depends = field("Depends");
    for (const char* library : {"libc6 (>= ", "libstdc++6", "libgcc-s1"})
        EXPECT_NE(depends.find(library), std::string::npos) << depends;
    EXPECT_EQ(depends.find("cross"), std::string::npos) << depends;
    EXPECT_EQ(depends.find(":arm64"), std::string::npos) << depends;

    const std::string outside = shell("dpkg-deb -c '" + deb + "' | awk '$6 != \"./\" && $6 !~ /^\\.\\/usr\\//'").out;
    EXPECT_EQ(outside, "");
    for (const char* file : {"bin/vexload", "bin/vexload-sim", "bin/vexload-ocd", "lib/vexload/WinIo.dll"}) {
        // e_machine, at byte 18 of the ELF header: 183 (0xB7) is AArch64.
        const std::string header = file_text(arm64_prefix + "/" + file).substr(0, 20);
        ASSERT_EQ(header.size(), 20u) << file;
        EXPECT_EQ(header.substr(0, 4), "\x7f" "ELF") << file;
        EXPECT_EQ(static_cast<unsigned char>(header[18]) | static_cast<unsigned char>(header[19]) << 8, 0xB7)
            << file;
    }
}

TEST_F(Arm64Package, LintianFindsNoErrorAndNoWarning)
{
    if (!have_lintian())
        GTEST_SKIP() << "lintian is not installed";
    const lintian_verdict v = lintian_check(deb);
    EXPECT_TRUE(v.bad.empty()) << testing::PrintToString(v.bad) << "\n" << v.output;
}

} // namespace
