// SPDX-License-Identifier: MIT
// The core's bus: big-endian SDRAM, the register block, the 16-bit flash
// window, and bus errors everywhere else.
#include <gtest/gtest.h>

#include "sim/bus.h"
#include "sim/core.h"
#include "sim/events.h"
#include "sim/flash.h"
#include "tests/sim/back_support.h"

namespace {

using namespace back;

class BackBus : public testing::Test {
protected:
    void SetUp() override { power_on(); }

    // r1 = address, r2 = value, then the store.
    bool store(uint32_t word, uint32_t address, uint32_t value)
    {
        sim::core_set_gpr(1, address);
        sim::core_set_gpr(2, value);
        return sim::core_execute(word);
    }

    bool load16(uint32_t address, uint32_t& value)
    {
        sim::core_set_gpr(1, address);
        const bool ok = sim::core_execute(lhz(3, 0, 1));
        value = sim::core_gpr(3);
        return ok;
    }
};

TEST_F(BackBus, SdramIsBigEndian)
{
    ASSERT_TRUE(store(stw(2, 0, 1), 0x1000, 0x11223344));
    uint32_t v;
    ASSERT_TRUE(load16(0x1000, v));
    EXPECT_EQ(v, 0x1122u);
    ASSERT_TRUE(load16(0x1002, v));
    EXPECT_EQ(v, 0x3344u);
    ASSERT_TRUE(store(sth(2, 0, 1), 0x1002, 0xAAAA5566));
    ASSERT_TRUE(sim::bus_load(0x1000, 4, v));
    EXPECT_EQ(v, 0x11225566u);
}

TEST_F(BackBus, LhzZeroExtendsAndOverwritesItsBase)
{
    ASSERT_TRUE(store(stw(2, 0, 1), 0x2000, 0xFFEE0000));
    sim::core_set_gpr(1, 0x2000);
    ASSERT_TRUE(sim::core_execute(lhz(1, 0, 1)));
    EXPECT_EQ(sim::core_gpr(1), 0x0000FFEEu);
}

TEST_F(BackBus, DisplacementIsSignedAndRaZeroIsLiteralZero)
{
    sim::core_set_gpr(0, 0x3000);
    sim::core_set_gpr(1, 0x3000);
    sim::core_set_gpr(2, 0xCAFEF00D);
    ASSERT_TRUE(sim::core_execute(stw(2, -4, 1)));
    ASSERT_TRUE(sim::core_execute(stw(2, 0x40, 0))); // 0x40, not 0x3040
    uint32_t v;
    ASSERT_TRUE(sim::bus_load(0x2FFC, 4, v));
    EXPECT_EQ(v, 0xCAFEF00Du);
    ASSERT_TRUE(sim::bus_load(0x40, 4, v));
    EXPECT_EQ(v, 0xCAFEF00Du);
    ASSERT_TRUE(sim::bus_load(0x3040, 4, v));
    EXPECT_EQ(v, 0u);
}

TEST_F(BackBus, RegisterBlockTakesWordStores)
{
    ASSERT_TRUE(store(stw(2, 0, 1), 0x40060000, 0x44000002));
    ASSERT_TRUE(store(stw(2, 0, 1), 0x400600FC, 0x0B6E94EC));
    EXPECT_EQ(sim::bus_register(0), 0x44000002u);
    EXPECT_EQ(sim::bus_register(0x3F), 0x0B6E94ECu);
    for (unsigned n = 1; n < 0x3F; ++n)
        EXPECT_EQ(sim::bus_register(n), 0u) << n;
}

TEST_F(BackBus, BusErrorsChangeNothing)
{
    struct bad_case {
        uint32_t word;
        uint32_t address;
    } cases[] = {
        {stw(2, 0, 1), 0x40000000},          // nothing there
        {stw(2, 0, 1), 0x40060100},          // past the register block
        {stw(2, 0, 1), 0x40060002},          // misaligned register
        {sth(2, 0, 1), 0x40060004},          // halfword to a register
        {lhz(3, 0, 1), 0x40060004},
        {stw(2, 0, 1), sim::sdram_size},     // past the SDRAM
        {stw(2, 0, 1), sim::sdram_size - 2}, // straddles its end
        {stw(2, 0, 1), 0xFF7FFFFC},          // just below the flash window
        {lhz(3, 0, 1), 0x80000000},
        {sth(2, 0, 1), 0xFF800001},          // odd address on the 16-bit bus
        {stw(2, 0, 1), 0xFFFFFFFE},          // runs past the top of the window
    };
    for (const bad_case& c : cases) {
        power_on();
        sim::events_record(true);
        sim::core_set_gpr(3, 0x33);
        EXPECT_FALSE(store(c.word, c.address, 0x12345678)) << std::hex << c.address;
        EXPECT_EQ(sim::core_gpr(3), 0x33u);
        EXPECT_TRUE(sim::events().empty()) << std::hex << c.address;
        EXPECT_EQ(sim::bus_register(0) | sim::bus_register(1), 0u);
    }
}

TEST_F(BackBus, StwToTheFlashWindowIsTwoCyclesUpperHalfFirst)
{
    sim::events_record(true);
    ASSERT_TRUE(store(stw(2, 0, 1), 0xFFFCFFFE, 0x00A01234));
    const std::vector<sim::event>& log = sim::events();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].kind, sim::event_kind::flash_cycle);
    EXPECT_EQ(log[0].number, 0xFFFCFFFEu);
    EXPECT_EQ(log[0].value, 0x00A0u);
    EXPECT_EQ(log[1].kind, sim::event_kind::flash_cycle);
    EXPECT_EQ(log[1].number, 0xFFFD0000u);
    EXPECT_EQ(log[1].value, 0x1234u);
    EXPECT_EQ(log[2].kind, sim::event_kind::store);
    EXPECT_EQ(log[2].width, 4u);
}

// The download's paired store: bypass program command and data in one stw.
TEST_F(BackBus, PairedStoreProgramsInUnlockBypass)
{
    const uint32_t base = sim::flash_window_base;
    const uint32_t cycles[][2] = {{0xF0, base}, {0xAA, base + 0xAAAA}, {0x55, base + 0x5554}, {0x20, base + 0xAAAA}};
    for (const auto& c : cycles)
        ASSERT_TRUE(store(sth(2, 0, 1), c[1], c[0]));
    ASSERT_TRUE(store(stw(2, 0, 1), 0xFFFD0000 - 2, 0x00A01234));
    ASSERT_TRUE(store(stw(2, 0, 1), 0xFFFD0002 - 2, 0x00A0ABCD)); // lost: the chip is busy
    sim::advance_ns(sim::flash_program_ns);
    ASSERT_EQ(sim::flash_array()[(0xFFFD0002 - base) / 2], 0xFFFF);
    ASSERT_TRUE(store(stw(2, 0, 1), 0xFFFD0002 - 2, 0x00A0ABCD));
    sim::advance_ns(sim::flash_program_ns);
    uint32_t v;
    ASSERT_TRUE(load16(0xFFFD0000, v));
    EXPECT_EQ(v, 0x1234u);
    ASSERT_TRUE(load16(0xFFFD0002, v));
    EXPECT_EQ(v, 0xABCDu);
    EXPECT_EQ(sim::flash_array()[(0xFFFCFFFE - base) / 2], 0xFFFF); // the command cycle programmed nothing

    // Halves in the wrong order: the data lands as a command, the command as data.
    ASSERT_TRUE(store(stw(2, 0, 1), 0xFFFD0004 - 2, 0x567800A0));
    sim::advance_ns(sim::flash_program_ns);
    EXPECT_EQ(sim::flash_array()[(0xFFFD0004 - base) / 2], 0xFFFF);
    EXPECT_EQ(sim::flash_array()[(0xFFFD0002 - base) / 2], 0xABCD);
}

TEST_F(BackBus, WordLoadFromTheWindowIsTwoReadsUpperFirst)
{
    sim::flash_array()[0] = 0x1357;
    sim::flash_array()[1] = 0x2468;
    uint32_t v;
    ASSERT_TRUE(sim::bus_load(sim::flash_window_base, 4, v));
    EXPECT_EQ(v, 0x13572468u);
}

TEST_F(BackBus, PowerOnClearsSdramAndRegisters)
{
    ASSERT_TRUE(store(stw(2, 0, 1), 0x40060008, 1));
    ASSERT_TRUE(store(stw(2, 0, 1), 0x100, 1));
    ASSERT_TRUE(store(stw(2, 0, 1), sim::sdram_size - 4, 1));
    sim::flash_array()[5] = 0x1234;
    sim::box_system_reset();
    uint32_t v;
    ASSERT_TRUE(sim::bus_load(0x100, 4, v));
    EXPECT_EQ(v, 0u);
    ASSERT_TRUE(sim::bus_load(sim::sdram_size - 4, 4, v));
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(sim::bus_register(2), 0u);
    EXPECT_EQ(sim::flash_array()[5], 0x1234); // the flash keeps its array
}

} // namespace
