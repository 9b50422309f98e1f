// SPDX-License-Identifier: MIT
#include "target/link_test.h"

#include <cstdio>

#include "target/instruction_words.h"
#include "target/registers.h"
#include "target/transactions.h"

namespace {

constexpr uint32_t register_pattern = 0xAA55AA55u;
constexpr uint32_t r3_pattern = 0x77887788u;
constexpr uint32_t r2_pattern = 0x55667788u;
constexpr uint32_t addend_r0 = 0x12345678u;
constexpr uint32_t addend_r1 = 0x01010101u;
constexpr uint32_t expected_sum = 0x13355779u;

// The debug data register alone: proves cable, TAP and data scan.
bool register_test()
{
    data_write(register_pattern);
    return data_read() == register_pattern;
}

// Two patterns through r3 and r2: proves that the core executes the moves.
bool write_read_test()
{
    gpr_write(3, r3_pattern);
    gpr_write(2, r2_pattern);
    return gpr_read(3) == r3_pattern && gpr_read(2) == r2_pattern;
}

// r2 = r1 + r0 on the core.
bool cpu_test()
{
    gpr_write(0, addend_r0);
    gpr_write(1, addend_r1);
    execute(add_r2_r1_r0);
    return gpr_read(2) == expected_sum;
}

} // namespace

int target_test()
{
    if (!register_test()) {
        std::printf("Register test failed. Check cable connection.\n");
        return -1;
    }
    if (!write_read_test()) {
        std::printf("Register write/read test failed. Check cable connection.\n");
        return -1;
    }
    if (!cpu_test()) {
        std::printf("CPU test failed. Check Box and cable connection.\n");
        return -1;
    }
    return 0;
}
