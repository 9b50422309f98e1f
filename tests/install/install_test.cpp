// SPDX-License-Identifier: MIT
// The release as a technician gets it: `cmake --install` into a scratch root
// and the Debian package unpacked with dpkg-deb; the programs must start from
// there and vexload must find its port-I/O library where it is installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/lintian.h"
#include "tests/support/run_program.h"

namespace {

namespace fs = std::filesystem;

const std::string build_dir = BUILD_DIR;
const std::string rule = "===================================================================\n";

std::string scratch(const std::string& stem)
{
    return testing::TempDir() + "vexload-" + stem + "-" + std::to_string(getpid());
}

program_result shell(const std::string& command)
{
    return run_program("/bin/sh", {"-c", command});
}

bool have_program(const std::string& name)
{
    return shell("command -v " + name + " >/dev/null").status == 0;
}

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// What the build tree's vexload prints for -h: the installed one must print the same.
const program_result& built_usage()
{
    static const program_result usage = run_program(build_dir + "/bin/vexload", {"-h"});
    return usage;
}

void expect_usage(const std::string& program)
{
    const program_result r = run_program(program, {"-h"});
    EXPECT_EQ(r.status, 0) << program << "\n" << r.err;
    EXPECT_EQ(r.out, built_usage().out) << program;
    EXPECT_EQ(r.out.rfind(rule, 0), 0u) << program;
    EXPECT_TRUE(r.err.empty()) << r.err;
}

// The files of an installed tree under root (the prefix), with or without
// compressed manual pages.
void expect_tree(const fs::path& root)
{
    for (const char* file : {"bin/vexload", "bin/vexload-sim", "bin/vexload-ocd"}) {
        const fs::path path = root / file;
        ASSERT_TRUE(fs::is_regular_file(path)) << path;
        EXPECT_NE(fs::status(path).permissions() & fs::perms::owner_exec, fs::perms::none) << path;
    }
    EXPECT_TRUE(fs::is_regular_file(root / "lib/vexload/WinIo.dll"));
    EXPECT_FALSE(fs::exists(root / "bin/WinIo.dll")) << "the library belongs in lib/vexload";
    for (const char* page : {"vexload.1", "vexload-sim.1", "vexload-ocd.1"}) {
        const fs::path man = root / "share/man/man1" / page;
        EXPECT_TRUE(fs::exists(man) || fs::exists(man.string() + ".gz")) << man;
    }
    EXPECT_TRUE(fs::is_regular_file(root / "share/doc/vexload/images.txt"));
    // The modules named one per line, as systemd-modules-load reads them.
    const std::string modules = shell("grep -v '^#' '" + (root / "lib/modules-load.d/vexload.conf").string() + "'").out;
    EXPECT_EQ(modules, "parport_pc\nppdev\n");
}

class Installed : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root_ = scratch("install");
        fs::remove_all(root_);
        install_ = shell("'" CMAKE_PROGRAM "' --install '" + build_dir + "' --prefix '" + root_ + "'");
    }

    static void TearDownTestSuite() { fs::remove_all(root_); }

    void SetUp() override { ASSERT_EQ(install_.status, 0) << install_.out << install_.err; }

    static std::string root_;
    static program_result install_;
};

std::string Installed::root_;
program_result Installed::install_;

TEST_F(Installed, HoldsThePrograms_TheLibraryInLibVexload_TheManualsAndTheImageList)
{
    expect_tree(root_);
    const std::string images = shell("cat '" + root_ + "/share/doc/vexload/images.txt'").out;
    EXPECT_NE(images.find("zorvan50s-pal"), std::string::npos) << images;
    EXPECT_NE(images.find("pellox-max-pal       0x20000  262144"), std::string::npos) << images;
}

TEST_F(Installed, VexloadPrintsItsUsage)
{
    expect_usage(root_ + "/bin/vexload");
}

TEST_F(Installed, VexloadSimProgramsTheVirtualBox)
{
    const program_result r = run_program(root_ + "/bin/vexload-sim", {"--", "-m", "zorvan50s"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("zorvan50s(PAL) board initialize\n", 0), 0u) << r.out.substr(0, 200);
    EXPECT_TRUE(r.out.ends_with("Complete !\n")) << r.out.substr(r.out.size() > 200 ? r.out.size() - 200 : 0);
    EXPECT_TRUE(r.err.ends_with("image in flash: yes\n")) << r.err;
}

// vexload looks beside itself, then in ../lib/vexload: a program of the tool
// copied into the installed bin/ must load the installed library, whole.
TEST_F(Installed, TheToolFindsTheInstalledLibraryFromBin)
{
    const std::string probe = root_ + "/bin/install_probe";
    fs::copy_file(INSTALL_PROBE, probe, fs::copy_options::overwrite_existing);
    const program_result r = run_program(probe, {});
    fs::remove(probe);
    EXPECT_EQ(r.status, 0) << r.out;
    const fs::path expected = fs::weakly_canonical(root_ + "/lib/vexload/WinIo.dll");
    const std::string line = trimmed(r.out);
    const size_t space = line.rfind(' ');
    ASSERT_NE(space, std::string::npos) << line;
    EXPECT_EQ(fs::weakly_canonical(line.substr(0, space)), expected) << line;
    EXPECT_EQ(line.substr(space + 1), "8") << line;
}

TEST_F(Installed, ProgramsCarryNoRunPathIntoTheBuildTree)
{
    if (!have_program("readelf"))
        GTEST_SKIP() << "readelf is not installed";
    for (const char* file : {"bin/vexload", "bin/vexload-sim", "bin/vexload-ocd", "lib/vexload/WinIo.dll"}) {
        const program_result r = shell("readelf -d '" + root_ + "/" + file + "'");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out.find("RPATH"), std::string::npos) << file << "\n" << r.out;
        EXPECT_EQ(r.out.find("RUNPATH"), std::string::npos) << file << "\n" << r.out;
    }
}

// The package that the main_build_package fixture made and unpacked.
class DebianPackage : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = MAIN_PACKAGE;
        std::error_code ignored;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir_ + "/package", ignored))
            if (entry.path().extension() == ".deb")
                deb_ = entry.path().string();
    }

    void SetUp() override
    {
        if (!have_program("dpkg-deb"))
            GTEST_SKIP() << "dpkg-deb is not installed";
        ASSERT_FALSE(deb_.empty()) << "the main_build_package fixture made no .deb in " << dir_ << "/package";
    }

    static std::string field(const std::string& name)
    {
        return trimmed(shell("dpkg-deb -f '" + deb_ + "' " + name).out);
    }

    static std::string dir_;
    static std::string deb_;
};

std::string DebianPackage::dir_;
std::string DebianPackage::deb_;

TEST_F(DebianPackage, ControlFieldsNameTheProjectItsVersionAndItsNeeds)
{
    EXPECT_EQ(field("Package"), "vexload");
    EXPECT_EQ(field("Version"), PROJECT_VERSION_TEXT);
    EXPECT_EQ(field("Maintainer"), "vexload maintainers <support@vexload.invalid>");
    EXPECT_EQ(field("Architecture"), trimmed(shell("dpkg --print-architecture").out));
    const std::string depends = field("Depends");
    EXPECT_NE(depends.find("libc6"), std::string::npos) << depends;
    EXPECT_NE(depends.find("libstdc++6"), std::string::npos) << depends;
    // The main build carries the placeholders: name and description say so.
    EXPECT_NE(field("Description").find("placeholder images"), std::string::npos) << field("Description");
    EXPECT_TRUE(deb_.ends_with("-placeholder-images.deb")) << deb_;
}

// What lintian, Debian's package checker, finds: no error, no warning, and
// none of the notes on hardening, ldconfig calls or unneeded sections.
TEST_F(DebianPackage, LintianFindsNoErrorAndNoWarning)
{
    if (!have_lintian())
        GTEST_SKIP() << "lintian is not installed";
    const lintian_verdict v = lintian_check(deb_);
    EXPECT_TRUE(v.bad.empty()) << testing::PrintToString(v.bad) << "\n" << v.output;
}

// The files Debian policy asks of every package under /usr/share/doc, and
// those entries in the form that tools read.
TEST_F(DebianPackage, CarriesTheCopyrightAndAChangelogOfThisVersion)
{
    const std::string doc = dir_ + "/root/usr/share/doc/vexload/";
    const std::string copyright = shell("cat '" + doc + "copyright'").out;
    EXPECT_EQ(copyright.rfind("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n", 0), 0u)
        << copyright;
    EXPECT_NE(copyright.find("\nLicense: MIT\n Permission is hereby granted"), std::string::npos) << copyright;
    const std::string changelog = shell("gzip -dc '" + doc + "changelog.gz'").out;
    EXPECT_EQ(changelog.rfind("vexload (" PROJECT_VERSION_TEXT ") ", 0), 0u) << changelog;
    // Owned by root, as dpkg unpacks it.
    EXPECT_EQ(trimmed(shell("dpkg-deb -c '" + deb_ + "' | awk '$2 != \"root/root\"'").out), "");
}

TEST_F(DebianPackage, UnpacksToUsrAndItsVexloadStarts)
{
    expect_tree(dir_ + "/root/usr");
    expect_usage(dir_ + "/root/usr/bin/vexload");
}

} // namespace
