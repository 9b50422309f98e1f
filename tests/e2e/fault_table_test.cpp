// SPDX-License-Identifier: MIT
// Every named fault of the virtual box, alone and in sensible combinations,
// through the whole program: standard output byte for byte, exit status, and
// the flash the run leaves behind in a flash file that was filled beforehand.
//
// Points inside a run are named by debug exchange, counted from 0 as the box
// sees them, and found in a recorded run of the same model: the exchanges in
// which the box saw the halt end, the first DCR write, the flash cycles of
// identification and of each sector's erase command, the store of each
// programmed word, and the read-back's flash reads. A cable pull is placed by
// port access: at 100 accesses before the status clock of the exchange that a
// status-error run stops at.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/box_files.h"
#include "tests/e2e/expected_output.h"
#include "tests/e2e/recorded_run.h"
#include "tests/support/run_program.h"

namespace {

// --- the pieces of the tool's output ----------------------------------------

using expected::board;
using expected::progress;
const std::string info = "Flash info. : MX IC MX29LV640MT\n";
const std::string erase_head = "Erase flash(all)";
const std::string communication_failed =
    "\nCommunication with box FAILED. Retry after enlarge time out value with -t option\n";
const std::string program_failed = "failed.\nRetry after reboot Box.\n";
using expected::target_failed;
using expected::register_failed;
const std::string write_read_failed = "Register write/read test failed. Check cable connection.\n";
const std::string cpu_failed = "CPU test failed. Check Box and cable connection.\n";
const std::string complete = "Complete !\n";
const std::string verify_failed = "Programming failed !\n";

constexpr int image_words = 0x18000;
constexpr size_t area_first_word = (download_area - flash_window) / 2;

// A board step moves r0 out and its value in (two exchanges each) before the
// exchange that writes the register.
constexpr int64_t board_step_lead = 4;

std::string erase_dots(int sectors)
{
    return erase_head + std::string(static_cast<size_t>(sectors), '.');
}

std::string recognize_failed(const std::string& vendor_and_name, unsigned manufacturer, unsigned device)
{
    char line[80];
    std::snprintf(line, sizeof line, "Flash recognize failed. Retry(0x%x, 0x%x)\n", manufacturer, device);
    return board + "Flash info. : " + vendor_and_name + "\n" + line;
}

// --- the flash before and after ----------------------------------------------

// What the flash file holds before every run: no word erased.
uint16_t prefilled_word(size_t w)
{
    return static_cast<uint16_t>((w * 40503u >> 3) & 0x7FFF);
}

// Word range of sector s of the top-boot chip (127 of 64 KiB, then 8 of 8 KiB).
std::pair<size_t, size_t> sector_words(int s)
{
    if (s < 127)
        return {static_cast<size_t>(s) * 0x8000, 0x8000};
    return {0x3F8000 + static_cast<size_t>(s - 127) * 0x1000, 0x1000};
}

struct context {
    std::vector<uint16_t> image = read_words(std::string(VEXLOAD_IMAGE_DIR) + "/zorvan50s-pal.bin");
    std::vector<int> programmed; // image index of each word the download programs
    std::vector<uint16_t> prefilled;

    context()
    {
        for (size_t i = 0; i < image.size(); ++i)
            if (image[i] != 0xFFFF)
                programmed.push_back(static_cast<int>(i));
        prefilled.resize(flash_words);
        for (size_t w = 0; w < flash_words; ++w)
            prefilled[w] = prefilled_word(w);
    }

    int middle() const { return static_cast<int>(programmed.size() / 2); }

    // Image index of the I-th programmed word.
    int index_of(int programmed_word) const { return programmed.at(static_cast<size_t>(programmed_word)); }

    // The points of the recorded run, as the box saw them; recorded at the first use.
    static const recorded_run& run() { return zorvan50s_run(); }
    int64_t first_link_test() const { return run().halt_exchanges; }
    int64_t first_board_write() const { return exchange_of(run(), sim::event_kind::dcr_write, 0); }
    int64_t last_link_test() const { return first_board_write() - board_step_lead - 1; }
    int64_t identify_cycle(int n) const { return exchange_of(run(), sim::event_kind::flash_cycle, n); }
    // The cycle that names the sector: the erase command's last.
    int64_t erase_cycle(int sector) const
    {
        int64_t seen = 0;
        for (const sim::event& e : run().events)
            if (e.kind == sim::event_kind::flash_cycle && e.value == 0x30 && seen++ == sector)
                return static_cast<int64_t>(e.exchange);
        return -1;
    }
    // The store that programs the I-th programmed word (the paired cycles at
    // the word's address - 2); the status read that polls it follows.
    int64_t store_of(int programmed_word) const
    {
        const uint32_t address = download_area + 2 * static_cast<uint32_t>(index_of(programmed_word)) - 2;
        return exchange_of(run(), sim::event_kind::store, 0, address, address + 1);
    }
    // The read-back: the last reset to read mode starts it, one read a word to the run's end.
    int64_t first_check() const
    {
        int64_t reset = -1;
        for (const sim::event& e : run().events)
            if (e.kind == sim::event_kind::flash_cycle && e.value == 0xF0)
                reset = static_cast<int64_t>(e.exchange);
        return reset + 1;
    }
    int64_t per_read() const { return (run().exchange_count - first_check()) / image_words; }
    int64_t check_exchange(int word, int step) const { return first_check() + per_read() * word + step; }

    // Sectors before `erased` erased, the stuck one pre-programmed to 0, the rest as before.
    std::vector<uint16_t> erase_stopped(int erased, int stuck = -1) const
    {
        std::vector<uint16_t> f = prefilled;
        for (int s = 0; s < erased; ++s) {
            const auto [first, count] = sector_words(s);
            std::fill_n(f.begin() + static_cast<std::ptrdiff_t>(first), count, uint16_t{0xFFFF});
        }
        if (stuck >= 0) {
            const auto [first, count] = sector_words(stuck);
            std::fill_n(f.begin() + static_cast<std::ptrdiff_t>(first), count, uint16_t{0});
        }
        return f;
    }

    // An erased flash holding the image's first `words` words.
    std::vector<uint16_t> with_image(int words) const
    {
        std::vector<uint16_t> f(flash_words, 0xFFFF);
        std::copy_n(image.begin(), words, f.begin() + static_cast<std::ptrdiff_t>(area_first_word));
        return f;
    }

    std::vector<uint16_t> with_word(std::vector<uint16_t> f, int index, uint16_t value) const
    {
        f[area_first_word + static_cast<size_t>(index)] = value;
        return f;
    }
};

context& ctx()
{
    static context c;
    return c;
}

// 16-bit words as a flash file stores them, low byte first.
std::vector<char> file_bytes(const std::vector<uint16_t>& words)
{
    std::vector<char> bytes(words.size() * 2);
    for (size_t w = 0; w < words.size(); ++w) {
        bytes[2 * w] = static_cast<char>(words[w] & 0xFF);
        bytes[2 * w + 1] = static_cast<char>(words[w] >> 8);
    }
    return bytes;
}

std::string scratch_flash()
{
    const std::string path = scratch_path("fault-flash");
    const std::vector<char> bytes = file_bytes(ctx().prefilled);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

const std::vector<std::string> model = {"-m", "zorvan50s"};

// The port access at which a run with these box options reads the status of
// exchange n, found by a run that fails there.
int64_t status_access(std::vector<std::string> box, int64_t n)
{
    box.insert(box.end(), {"--fault", "status-error=" + std::to_string(n), "--"});
    box.insert(box.end(), model.begin(), model.end());
    const program_result r = run_program(VEXLOAD_SIM_PATH, box);
    EXPECT_EQ(r.status, 255) << "calibration at exchange " << n << "\n" << r.err;
    EXPECT_EQ(summary_number(r.err, "exchanges"), static_cast<uint64_t>(n)) << r.err;
    return static_cast<int64_t>(summary_number(r.err, "port accesses"));
}

std::string pulled_before(std::vector<std::string> box, int64_t n)
{
    return "cable-pull=" + std::to_string(status_access(std::move(box), n) - 100);
}

// --- the table ----------------------------------------------------------------

struct row_spec {
    std::vector<std::string> box; // box options
    std::vector<std::string> tool; // extra tool words after -m zorvan50s
    std::string out;
    int status;
    std::vector<uint16_t> flash;
    std::string err_has = "";
};

struct fault_row {
    const char* name;
    row_spec (*make)(context& c);
};

void PrintTo(const fault_row& r, std::ostream* out)
{
    *out << r.name;
}

std::vector<std::string> faults(std::initializer_list<std::string> names)
{
    std::vector<std::string> box;
    for (const std::string& n : names)
        box.insert(box.end(), {"--fault", n});
    return box;
}

std::string n(int64_t value)
{
    return std::to_string(value);
}

const std::string full_download = board + info + expected::erase_line(135) +
                                  progress("Downloading.", image_words);

std::string partial_download(const context& c, int programmed_word)
{
    return board + info + expected::erase_line(135) + progress("Downloading.", image_words, c.index_of(programmed_word));
}

std::string check_error(uint16_t read, uint16_t expected)
{
    char text[40];
    std::snprintf(text, sizeof text, " error(0x%04X, 0x%04X)\n", read, expected);
    return text;
}

const fault_row rows[] = {
    // Cable and TAP.
    {"tdo_stuck_0", [](context& c) { return row_spec{faults({"tdo-stuck-0"}), {}, register_failed + target_failed, 0, c.prefilled}; }},
    {"tdo_stuck_1", [](context& c) { return row_spec{faults({"tdo-stuck-1"}), {}, communication_failed, 255, c.prefilled}; }},
    {"tdo_stuck_0_then_1_later_wins",
        [](context& c) { return row_spec{faults({"tdo-stuck-0", "tdo-stuck-1"}), {}, communication_failed, 255, c.prefilled}; }},
    {"cable_pull_at_once", [](context& c) { return row_spec{faults({"cable-pull=0"}), {}, communication_failed, 255, c.prefilled}; }},
    {"cable_pull_in_reset_and_halt",
        [](context& c) { return row_spec{faults({"cable-pull=100"}), {}, communication_failed, 255, c.prefilled}; }},
    {"cable_pull_in_link_tests",
        [](context& c) { return row_spec{faults({pulled_before({}, (c.first_link_test() + c.last_link_test()) / 2)}), {}, communication_failed, 255, c.prefilled}; }},
    {"cable_pull_in_board_script",
        [](context& c) {
            return row_spec{faults({pulled_before({}, c.first_board_write() + 150)}), {}, board + communication_failed, 255, c.prefilled};
        }},
    {"cable_pull_in_erase",
        [](context& c) {
            return row_spec{faults({pulled_before({}, c.erase_cycle(10) - 1)}), {},
                board + info + erase_dots(11) + communication_failed, 255, c.erase_stopped(10)};
        }},
    {"cable_pull_in_download",
        [](context& c) {
            return row_spec{faults({pulled_before({}, c.store_of(2000) + 3)}), {},
                partial_download(c, 2000) + communication_failed, 255, c.with_image(c.index_of(2000) + 1)};
        }},
    {"cable_pull_while_a_sector_is_stuck",
        [](context& c) {
            const std::vector<std::string> stuck = faults({"erase-stuck=5"});
            std::vector<std::string> box = stuck;
            const std::vector<std::string> pull = faults({pulled_before(stuck, c.erase_cycle(5) + 1 + c.per_read() * 20 + 2)});
            box.insert(box.end(), pull.begin(), pull.end());
            return row_spec{box, {}, board + info + erase_dots(6) + communication_failed, 255, c.erase_stopped(5, 5)};
        }},
    {"slow_target_at_t2", [](context& c) { return row_spec{faults({"slow-target=3"}), {}, communication_failed, 255, c.prefilled}; }},
    {"slow_target_cured_by_t3",
        [](context& c) { return row_spec{faults({"slow-target=3"}), {"-t", "3"}, full_download + complete, 0, c.with_image(image_words)}; }},
    {"slow_target_cured_then_program_fail",
        [](context& c) {
            const int i = c.index_of(100);
            return row_spec{faults({"slow-target=3", "program-fail=100"}), {"-t", "3"}, partial_download(c, 100) + program_failed, 255,
                c.with_word(c.with_image(i), i, static_cast<uint16_t>(c.image[static_cast<size_t>(i)] & ~0x80))};
        }},
    {"clock_delay_0", [](context& c) { return row_spec{{}, {"-t", "0"}, communication_failed, 255, c.prefilled}; }},
    {"clock_delay_negative", [](context& c) { return row_spec{{}, {"-t", "-7"}, communication_failed, 255, c.prefilled}; }},
    {"clock_delay_0_tdo_stuck_0",
        [](context& c) { return row_spec{faults({"tdo-stuck-0"}), {"-t", "0"}, register_failed + target_failed, 0, c.prefilled}; }},

    // Debug unit and core.
    // Test-Logic-Reset lets a stopped core run: the tool resets the TAP only before its control words.
    {"tap_reset_releases_stop",
        [](context& c) {
            return row_spec{{"--tap-reset-releases-stop"}, {"-c", "1"}, full_download + progress("Checking.", image_words) + complete,
                0, c.with_image(image_words)};
        }},
    {"never_halted", [](context& c) { return row_spec{faults({"never-halted"}), {}, communication_failed, 255, c.prefilled}; }},
    {"never_halted_and_no_execute",
        [](context& c) { return row_spec{faults({"never-halted", "no-execute"}), {}, communication_failed, 255, c.prefilled}; }},
    {"no_execute", [](context& c) { return row_spec{faults({"no-execute"}), {}, write_read_failed + target_failed, 0, c.prefilled}; }},
    {"bad_adder", [](context& c) { return row_spec{faults({"bad-adder"}), {}, cpu_failed + target_failed, 0, c.prefilled}; }},
    {"status_error_in_the_halt_is_ignored",
        [](context& c) {
            return row_spec{faults({"status-error=1", "no-chip"}), {}, recognize_failed("Unknown Unknown", 0xFFFF, 0xFFFF), 0, c.prefilled};
        }},
    {"status_error_first_link_test",
        [](context& c) { return row_spec{faults({"status-error=" + n(c.first_link_test())}), {}, communication_failed, 255, c.prefilled}; }},
    {"status_error_last_link_test",
        [](context& c) { return row_spec{faults({"status-error=" + n(c.last_link_test())}), {}, communication_failed, 255, c.prefilled}; }},
    {"status_error_first_board_step",
        [](context& c) { return row_spec{faults({"status-error=" + n(c.last_link_test() + 1)}), {}, board + communication_failed, 255, c.prefilled}; }},
    {"status_error_in_identify",
        [](context& c) { return row_spec{faults({"status-error=" + n(c.identify_cycle(4))}), {}, board + communication_failed, 255, c.prefilled}; }},
    {"status_error_in_erase",
        [](context& c) {
            return row_spec{faults({"status-error=" + n(c.erase_cycle(10) - 1)}), {}, board + info + erase_dots(11) + communication_failed,
                255, c.erase_stopped(10)};
        }},
    {"status_error_before_the_store",
        [](context& c) {
            return row_spec{faults({"status-error=" + n(c.store_of(2000) - 1)}), {}, partial_download(c, 2000) + communication_failed,
                255, c.with_image(c.index_of(2000))};
        }},
    {"status_error_after_the_store",
        [](context& c) {
            return row_spec{faults({"status-error=" + n(c.store_of(2000) + 3)}), {}, partial_download(c, 2000) + communication_failed,
                255, c.with_image(c.index_of(2000) + 1)};
        }},
    {"status_error_in_read_back",
        [](context& c) {
            return row_spec{faults({"status-error=" + n(c.check_exchange(50000, 2))}), {"-c", "1"},
                full_download + progress("Checking.", image_words, 50000) + communication_failed, 255, c.with_image(image_words)};
        }},
    {"box_reset_in_erase",
        [](context& c) {
            // In the first completion read: the sector's erase stops unfinished.
            return row_spec{faults({"box-reset=" + n(c.erase_cycle(10) + 3)}), {}, board + info + erase_dots(11) + communication_failed,
                255, c.erase_stopped(10)};
        }},
    {"box_reset_in_download",
        [](context& c) {
            return row_spec{faults({"box-reset=" + n(c.store_of(2000) - 2)}), {}, partial_download(c, 2000) + communication_failed,
                255, c.with_image(c.index_of(2000))};
        }},

    // Flash.
    {"no_chip",
        [](context& c) { return row_spec{faults({"no-chip"}), {}, recognize_failed("Unknown Unknown", 0xFFFF, 0xFFFF), 0, c.prefilled}; }},
    {"no_chip_with_check",
        [](context& c) { return row_spec{faults({"no-chip"}), {"-c", "1"}, recognize_failed("Unknown Unknown", 0xFFFF, 0xFFFF), 0, c.prefilled}; }},
    {"chip_id_spansion_device_with_mx_word",
        [](context& c) { return row_spec{{"--chip-id", "0x0001,0x227E,0x2210,0x2201"}, {}, recognize_failed("SPANSION Unknown", 0x1, 0x227E), 0, c.prefilled}; }},
    {"chip_id_mx_device_with_spansion_word",
        [](context& c) { return row_spec{{"--chip-id", "C2,227E,2210,2200"}, {}, recognize_failed("MX IC Unknown", 0xC2, 0x227E), 0, c.prefilled}; }},
    {"chip_id_nobody_knows",
        [](context& c) { return row_spec{{"--chip-id", "1234,5678,0,0"}, {}, recognize_failed("Unknown Unknown", 0x1234, 0x5678), 0, c.prefilled}; }},
    {"erase_stuck_first_sector",
        [](context& c) {
            return row_spec{faults({"erase-stuck=0"}), {},
                board + info + erase_dots(1) + " failed.\nSector 0 at 0xFF800000 is not erased after 30 seconds.\n", 255, c.erase_stopped(0, 0)};
        }},
    {"erase_stuck_last_sector",
        [](context& c) {
            return row_spec{faults({"erase-stuck=134"}), {},
                board + info + erase_dots(135) + " failed.\nSector 134 at 0xFFFFE000 is not erased after 30 seconds.\n", 255,
                c.erase_stopped(134, 134)};
        }},
    {"program_fail_first_word",
        [](context& c) {
            const int i = c.index_of(0);
            return row_spec{faults({"program-fail=0"}), {}, partial_download(c, 0) + program_failed, 255,
                c.with_word(c.with_image(i), i, static_cast<uint16_t>(c.image[static_cast<size_t>(i)] & ~0x80))};
        }},
    {"program_fail_given_twice_later_wins",
        [](context& c) {
            const int i = c.index_of(0);
            return row_spec{faults({"program-fail=7", "program-fail=0"}), {}, partial_download(c, 0) + program_failed, 255,
                c.with_word(c.with_image(i), i, static_cast<uint16_t>(c.image[static_cast<size_t>(i)] & ~0x80))};
        }},
    {"program_fail_middle",
        [](context& c) {
            const int m = c.middle();
            const int i = c.index_of(m);
            return row_spec{faults({"program-fail=" + n(m)}), {"-c", "1"}, partial_download(c, m) + program_failed, 255,
                c.with_word(c.with_image(i), i, static_cast<uint16_t>(c.image[static_cast<size_t>(i)] & ~0x80))};
        }},
    {"slow_program",
        [](context& c) {
            // The word programs, but after more polls than the tool waits for.
            return row_spec{faults({"slow-program=1000"}), {}, partial_download(c, 1000) + program_failed, 255,
                c.with_image(c.index_of(1000) + 1)};
        }},
    {"verify_mismatch_checked",
        [](context& c) {
            const int i = c.index_of(c.middle());
            const uint16_t good = c.image[static_cast<size_t>(i)];
            const uint16_t weak = static_cast<uint16_t>(good ^ 1);
            return row_spec{faults({"verify-mismatch=" + n(c.middle())}), {"-c", "1"},
                full_download + progress("Checking.", image_words, i) + check_error(weak, good) + verify_failed, 0,
                c.with_word(c.with_image(image_words), i, weak)};
        }},
    {"verify_mismatch_unchecked_stays_hidden",
        [](context& c) {
            // The weak bit shows only once the chip leaves bypass mode for reading.
            return row_spec{faults({"verify-mismatch=" + n(c.middle())}), {}, full_download + complete, 0, c.with_image(image_words)};
        }},

    // The PC's port-I/O library: the box does not care how the PC reaches its port.
    {"winio_absent",
        [](context& c) {
            return row_spec{{"--winio", "absent"}, {}, full_download + complete, 0, c.with_image(image_words), "WinIo.dll not found.\n"};
        }},
    {"winio_incomplete", [](context& c) { return row_spec{{"--winio", "incomplete"}, {}, full_download + complete, 0, c.with_image(image_words)}; }},
    {"winio_init_fails", [](context& c) { return row_spec{{"--winio", "init-fails"}, {}, full_download + complete, 0, c.with_image(image_words)}; }},
};

int64_t first_mismatch(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b)
{
    if (a == b)
        return -1;
    if (a.size() != b.size())
        return static_cast<int64_t>(std::min(a.size(), b.size()));
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return static_cast<int64_t>(i);
    return -1;
}

std::string last_line(const std::string& text)
{
    const size_t end = text.empty() || text.back() != '\n' ? text.size() : text.size() - 1;
    const size_t start = end == 0 ? std::string::npos : text.rfind('\n', end - 1);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1));
}

class FaultTable : public testing::TestWithParam<fault_row> {};

TEST_P(FaultTable, OutputStatusAndFlash)
{
    context& c = ctx();
    ASSERT_EQ(c.image.size(), static_cast<size_t>(image_words));
    const row_spec spec = GetParam().make(c);
    ASSERT_FALSE(HasFailure()) << "calibration";

    const std::string flash = scratch_flash();
    std::vector<std::string> args{"--flash", flash};
    args.insert(args.end(), spec.box.begin(), spec.box.end());
    args.push_back("--");
    args.insert(args.end(), model.begin(), model.end());
    args.insert(args.end(), spec.tool.begin(), spec.tool.end());
    const program_result run = run_program(VEXLOAD_SIM_PATH, args);

    EXPECT_EQ(run.status, spec.status) << run.err;
    if (run.out.size() < 2000 && spec.out.size() < 2000) {
        EXPECT_EQ(run.out, spec.out);
    } else {
        EXPECT_TRUE(run.out == spec.out) << "output differs from byte " << first_mismatch(
            std::vector<uint16_t>(run.out.begin(), run.out.end()), std::vector<uint16_t>(spec.out.begin(), spec.out.end()))
                                         << "; tail: ..." << run.out.substr(run.out.size() > 300 ? run.out.size() - 300 : 0);
    }
    if (!spec.err_has.empty()) {
        EXPECT_NE(run.err.find(spec.err_has), std::string::npos) << run.err;
    }
    EXPECT_EQ(run.out.find("WinIo"), std::string::npos) << "the library's message stays off standard output";

    const std::vector<uint16_t> left = read_words(flash);
    EXPECT_EQ(first_mismatch(left, spec.flash), -1) << "first differing flash word";
    const bool image_whole = std::equal(c.image.begin(), c.image.end(),
        spec.flash.begin() + static_cast<std::ptrdiff_t>(area_first_word));
    EXPECT_EQ(last_line(run.err), image_whole ? "image in flash: yes" : "image in flash: no");
    std::remove(flash.c_str());
}

INSTANTIATE_TEST_SUITE_P(EveryFault, FaultTable, testing::ValuesIn(rows),
    [](const testing::TestParamInfo<fault_row>& info) { return std::string(info.param.name); });

// The run whose points the table aims at: ctest records it first for the
// table's processes (VEXLOAD_RECORD_RUN_TO); every point must be in it.
TEST(RecordedRun, HoldsEveryPoint)
{
    const char* path = std::getenv("VEXLOAD_RECORD_RUN_TO");
    if (path != nullptr) {
        ASSERT_TRUE(save_zorvan50s_run(path)) << path;
    }
    const context& c = ctx();
    for (const int64_t point : {c.first_link_test(), c.first_board_write(), c.identify_cycle(4), c.erase_cycle(134),
                                c.store_of(static_cast<int>(c.programmed.size()) - 1), c.first_check()})
        EXPECT_GT(point, 0);
    EXPECT_GT(c.per_read(), 0);
    EXPECT_EQ(c.first_check() + c.per_read() * image_words, c.run().exchange_count) << "the read-back ends the run";
}

} // namespace
