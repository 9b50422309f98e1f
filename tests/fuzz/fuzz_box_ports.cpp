// SPDX-License-Identifier: MIT
// The virtual box fed arbitrary port traffic: data-register writes, status
// reads, pauses, and whole JTAG scans for depth, in any order, under any one
// fault and chip. The box must never crash, hang or break its own rules.
//
// Input: 4 header bytes (fault, its number low and high, chip), then ops:
//   00xxxxxx B      write byte B to the data register
//   01nnnnnn        n + 1 status reads
//   10ssssss L H    pause of (L | H << 8) << (s & 15) ms
//   11kkkkkk ...    a scan through the small JTAG master:
//     k 0..15   halt the core, TAP reset, reset group low, high, half period
//     k 16..31  debug exchange: control, execute or data by k % 3, final bit
//               k & 8, data from the next 4 bytes (big-endian)
//     k 32..47  exchange with the instruction in the next byte (7 bits)
//     k 48..63  free scan of the instruction (k & 1) or data register, length
//               from the next byte, bits from the bytes after it
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/box.h"
#include "sim/debug_unit.h"
#include "sim/faults.h"
#include "sim/flash.h"
#include "tests/sim/front_bitbang.h"

namespace {

struct input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    bool more() const { return at < size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
};

const char* const chips[] = {"S29GL064M", "M29W640DT", "EN29LV640B", "MX29LV640MT", "MX29LV640BT"};

int limits_passed = 0;

// Only programs and a stuck erase's pre-programming change the array from
// erased; refilling 8 MiB for every input would cost most of the time.
bool array_dirty = true;

void on_limit()
{
    ++limits_passed;
}

void set_up(input& in)
{
    const uint8_t fault = in.byte();
    const int64_t number = in.byte() | in.byte() << 8;
    const uint8_t chip = in.byte();

    sim::faults = sim::fault_set{};
    std::string error;
    const std::string n = std::to_string(number);
    const char* const names[] = {"", "tdo-stuck-0", "tdo-stuck-1", "cable-pull=", "slow-target=", "no-execute", "bad-adder",
        "never-halted", "no-chip", "erase-stuck=", "program-fail=", "slow-program=", "verify-mismatch=", "status-error=",
        "box-reset=", ""};
    const std::string name = names[fault % 16];
    if (!name.empty()) {
        const bool numbered = name.back() == '=';
        const std::string value = name == "slow-target=" ? std::to_string(2 + number % 7)
                                  : name == "erase-stuck=" ? std::to_string(number % 135)
                                                           : n;
        if (!sim::fault_apply(numbered ? name + value : name, error))
            std::abort();
    }

    if (chip % 7 < 5) {
        if (!sim::flash_select_chip(chips[chip % 7]))
            std::abort();
    } else if (chip % 7 == 5) {
        sim::flash_set_chip_id(0x00C2, static_cast<uint16_t>(number), 0x2210, static_cast<uint16_t>(number >> 3));
    } else {
        sim::flash_select_chip("MX29LV640MT");
    }
    // An erased chip, whatever the last input left.
    if (array_dirty)
        std::memset(sim::flash_array(), 0xFF, sim::flash_chip_words * 2);
    array_dirty = false;
    sim::box_set_port_ns(fault & 0x10 ? 10 : 1000);
    sim::box_power_on();
    sim::box_set_time_limit((fault & 0x20) ? static_cast<uint64_t>(number) * 1000000 : 0, (fault & 0x20) ? on_limit : nullptr);
}

uint32_t word32(input& in)
{
    uint32_t w = 0;
    for (int i = 0; i < 4; ++i)
        w = w << 8 | in.byte();
    return w;
}

void scan_op(input& in, front_test::bitbang& jtag, uint8_t k)
{
    static const uint8_t debug_instructions[] = {front_test::bitbang::control, front_test::bitbang::execute,
        front_test::bitbang::data};
    if (k < 16) {
        switch (k % 5) {
        case 0:
            jtag.halt_core();
            break;
        case 1:
            jtag.reset_to_idle();
            break;
        case 2:
            jtag.set_reset(true);
            break;
        case 3:
            jtag.set_reset(false);
            break;
        default:
            jtag.half = 1 + in.byte() % 4;
            break;
        }
    } else if (k < 32) {
        jtag.exchange(debug_instructions[k % 3], word32(in), (k & 8) != 0);
    } else if (k < 48) {
        const uint8_t instruction = in.byte() & 0x7F;
        jtag.exchange(instruction, word32(in), (k & 1) != 0);
    } else {
        const int length = 1 + in.byte() % 64;
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = bits << 8 | in.byte();
        jtag.scan((k & 1) != 0, bits, length);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    input in{data, size};
    set_up(in);
    front_test::bitbang jtag;
    uint64_t expected_reads = 0;
    while (in.more()) {
        const uint8_t op = in.byte();
        switch (op >> 6) {
        case 0:
            sim::box_port_write(in.byte());
            break;
        case 1:
            for (int i = 0; i <= (op & 0x3F); ++i) {
                const uint8_t status = sim::box_port_read();
                // Only bit 7 carries anything: the other lines of an idle printer port.
                if ((status & 0x7F) != 0x78)
                    std::abort();
            }
            expected_reads += (op & 0x3F) + 1u;
            break;
        case 2: {
            const uint32_t ms = static_cast<uint32_t>(in.byte() | in.byte() << 8) << (op & 15);
            sim::box_sleep(ms);
            break;
        }
        default: {
            const uint64_t reads_before = sim::box_statistics().port_reads;
            scan_op(in, jtag, op & 0x3F);
            expected_reads += sim::box_statistics().port_reads - reads_before;
            break;
        }
        }
        if (sim::flash_programs_started() != 0)
            array_dirty = true;
    }
    if (sim::box_statistics().port_reads != expected_reads)
        std::abort();
    // The array is whole and readable after whatever happened.
    volatile uint16_t last = sim::flash_array()[sim::flash_chip_words - 1];
    (void)last;
    if (sim::faults.erase_stuck >= 0)
        array_dirty = true;
    sim::box_set_time_limit(0, nullptr);
    sim::faults = sim::fault_set{};
    return 0;
}
