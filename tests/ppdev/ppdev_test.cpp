// SPDX-License-Identifier: MIT
// The production vexload as installed from its package, with the WinIo.dll it
// loads, against the virtual box behind a double of /dev/parport0, run as an
// unprivileged user (so that ioperm is refused and ppdev carries every
// access). What it prints is compared with what vexload-sim of the same build
// prints for the same box; the flash array it leaves behind is read back.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/scratch_file.h"
#include "tests/support/unprivileged.h"

namespace {

namespace fs = std::filesystem;

using bytes = std::vector<char>;

constexpr size_t flash_bytes = 8u << 20;
constexpr size_t image_offset = 0xFFFD0000u - 0xFF800000u; // a 0x18000-word image in the window

bytes slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A scratch folder the unprivileged user may write, holding a copy of the double.
class scratch_folder {
public:
    scratch_folder() : path(scratch_file("ppdev"))
    {
        fs::create_directories(path);
        chmod(path.c_str(), 0777);
        fs::copy_file(PPDEV_DOUBLE, double_path());
    }
    ~scratch_folder() { fs::remove_all(path); }
    std::string file(const char* name) const { return path + "/" + name; }
    std::string double_path() const { return file("ppdev-double.so"); }
    // The package's vexload and its library, laid out as installed, where the
    // unprivileged user can reach them whatever the build folder's permissions.
    std::string installed_copy(const std::string& prefix) const
    {
        const std::string copy = file("usr");
        fs::remove_all(copy);
        fs::create_directories(copy + "/bin");
        fs::create_directories(copy + "/lib/vexload");
        fs::copy_file(prefix + "/bin/vexload", copy + "/bin/vexload");
        fs::copy_file(prefix + "/lib/vexload/WinIo.dll", copy + "/lib/vexload/WinIo.dll");
        return copy;
    }
    const std::string path;
};

// The installed vexload through the double; settings are VEXLOAD_PPDEV_* words.
program_result run_vexload(const std::string& prefix, const scratch_folder& folder,
    const std::vector<std::string>& settings, const std::vector<std::string>& args)
{
    std::vector<std::string> words{"LD_PRELOAD=" + folder.double_path()};
    for (const std::string& setting : settings)
        words.push_back("VEXLOAD_PPDEV_" + setting);
    for (const std::string& word : unprivileged())
        words.push_back(word);
    words.push_back(folder.installed_copy(prefix) + "/bin/vexload");
    words.insert(words.end(), args.begin(), args.end());
    return run_program("/usr/bin/env", words);
}

program_result run_sim(const std::string& prefix, const std::vector<std::string>& words)
{
    return run_program(prefix + "/bin/vexload-sim", words);
}

class ThroughPpdev : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string reason = cannot_drop_root();
        if (!reason.empty())
            GTEST_SKIP() << reason;
        ASSERT_TRUE(fs::exists(MAIN_PREFIX "/bin/vexload")) << "the main_build_package fixture did not run";
    }
    scratch_folder folder;
};

// A whole run with read-back of a build with (test) images as real ones.
TEST_F(ThroughPpdev, RealImagesBuildProgramsTheBoxAsVexloadSimDoes)
{
    ASSERT_TRUE(fs::exists(REAL_PREFIX "/bin/vexload")) << "the real_images_build fixture did not run";
    const std::vector<std::string> args{"-m", "zorvan50s", "-c", "1"};
    const program_result sim = run_sim(REAL_PREFIX, args);
    ASSERT_EQ(sim.status, 0) << sim.err;

    const std::string flash = folder.file("box.flash");
    const std::string report = folder.file("report");
    const program_result r = run_vexload(REAL_PREFIX, folder, {"FLASH=" + flash, "REPORT=" + report}, args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, sim.out);
    EXPECT_TRUE(r.out.ends_with("Complete !\n")) << r.out.substr(r.out.size() > 300 ? r.out.size() - 300 : 0);

    const bytes array = slurp(flash);
    const bytes image = slurp(TEST_IMAGES "/zorvan50s-pal.bin");
    ASSERT_EQ(array.size(), flash_bytes);
    ASSERT_EQ(image.size(), 0x18000u * 2);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), array.begin() + image_offset))
        << "the flash does not hold the image at 0xFFFD0000";

    // One ioctl per port access, and a handful for claiming the port.
    const bytes report_bytes = slurp(report);
    const std::string counters(report_bytes.begin(), report_bytes.end());
    std::cout << counters;
    EXPECT_NE(counters.find("sector erase seen"), std::string::npos) << counters;
}

// A build with placeholders identifies the flash and stops before the erase:
// no sector erase command reaches the chip and the array is as it was.
TEST_F(ThroughPpdev, PlaceholderBuildStopsBeforeTheErase)
{
    const std::string flash = folder.file("box.flash");
    bytes before(flash_bytes);
    for (size_t i = 0; i < before.size(); ++i)
        before[i] = static_cast<char>(i * 7 + (i >> 11));
    std::ofstream(flash, std::ios::binary).write(before.data(), static_cast<std::streamsize>(before.size()));
    chmod(flash.c_str(), 0666);

    const std::vector<std::string> args{"-m", "zorvan50s"};
    const program_result sim = run_sim(MAIN_PREFIX, args);
    const size_t erase = sim.out.find("Erase flash");
    ASSERT_NE(erase, std::string::npos) << sim.out;

    const std::string report = folder.file("report");
    const program_result r = run_vexload(MAIN_PREFIX, folder, {"FLASH=" + flash, "REPORT=" + report}, args);
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_EQ(r.out, sim.out.substr(0, erase) +
                         "This build carries placeholder images, not the real bootloader: nothing was erased. "
                         "Build vexload with -DVEXLOAD_IMAGE_DIR=<folder of the real images>.\n");
    EXPECT_TRUE(slurp(flash) == before) << "the flash array changed";
    const bytes counters = slurp(report);
    EXPECT_NE(std::string(counters.begin(), counters.end()).find("sector erase never"), std::string::npos);
}

struct failure_case {
    const char* name;
    std::vector<std::string> settings;
    std::vector<std::string> sim_words; // the same box for vexload-sim; empty: out is given
    std::string out;
    int status;
};

const std::string refused = "Parallel port 0x378 is not accessible: ioperm: Operation not permitted; ";
const std::string see_manual = " (see PORT ACCESS in man vexload; a PC without a parallel port uses vexload-ocd).\n";

const failure_case failure_cases[] = {
    {"tdo stuck low", {"FAULTS=tdo-stuck-0"}, {"--fault", "tdo-stuck-0"}, "", 0},
    {"core does not execute", {"FAULTS=no-execute"}, {"--fault", "no-execute"}, "", 0},
    {"wrong sum", {"FAULTS=bad-adder"}, {"--fault", "bad-adder"}, "", 0},
    {"tdo stuck high", {"FAULTS=tdo-stuck-1"}, {"--fault", "tdo-stuck-1"}, "", 255},
    {"cable pulled during the board script", {"FAULTS=cable-pull=60000"}, {"--fault", "cable-pull=60000"}, "", 255},
    {"port held by another process", {"MODE=busy"}, {},
        refused + "/dev/parport0 claim: Device or resource busy" + see_manual, 255},
    {"device not permitted", {"MODE=eacces"}, {}, refused + "/dev/parport0: Permission denied" + see_manual, 255},
    {"no device", {"MODE=enoent"}, {}, refused + "/dev/parport0: No such file or directory" + see_manual, 255},
    {"no port instructions at all", {"MODE=enoent", "IOPERM=ENOSYS"}, {},
        "Parallel port 0x378 is not accessible: ioperm: Function not implemented; /dev/parport0: No such file or "
        "directory" + see_manual, 255},
    {"device fails in mid-run", {"MODE=fail-after=1000"}, {},
        "Parallel port 0x378 failed in mid-run: /dev/parport0 data write: Input/output error. The flash may be "
        "half written: check the port and run vexload again.\n", 255},
};

TEST_F(ThroughPpdev, FailuresGiveOneClearLineAndADefinedStatus)
{
    const std::vector<std::string> args{"-m", "zorvan50s"};
    for (const failure_case& c : failure_cases) {
        std::string expected = c.out;
        if (!c.sim_words.empty()) {
            std::vector<std::string> words = c.sim_words;
            words.push_back("--");
            words.insert(words.end(), args.begin(), args.end());
            const program_result sim = run_sim(MAIN_PREFIX, words);
            ASSERT_EQ(sim.status, c.status) << c.name << "\n" << sim.out;
            expected = sim.out;
        }
        // The box's flash is saved however the run ends, exit(-1) included.
        const std::string flash = folder.file("box.flash");
        std::vector<std::string> settings = c.settings;
        settings.push_back("FLASH=" + flash);
        const program_result r = run_vexload(MAIN_PREFIX, folder, settings, args);
        EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.out << r.err;
        EXPECT_EQ(r.out, expected) << c.name;
        EXPECT_EQ(r.err, "") << c.name;
        EXPECT_EQ(slurp(flash).size(), flash_bytes) << c.name;
        fs::remove(flash);
    }
}

} // namespace
