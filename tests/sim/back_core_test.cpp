// SPDX-License-Identifier: MIT
// The halted core: words decoded by their fields, so a wrongly built word does
// the wrong thing.
#include <gtest/gtest.h>

#include "sim/core.h"
#include "sim/events.h"
#include "sim/faults.h"
#include "tests/sim/back_support.h"

namespace {

using namespace back;

class BackCore : public testing::Test {
protected:
    void SetUp() override { power_on(); }
};

TEST_F(BackCore, DebugDataRegisterMovesToAndFromEveryGpr)
{
    for (unsigned n = 0; n < 32; ++n) {
        sim::core_set_ddr(0xA5000000 | n);
        ASSERT_TRUE(sim::core_execute(mfspr(n, 1011)));
        EXPECT_EQ(sim::core_gpr(n), 0xA5000000 | n);
    }
    for (unsigned n = 0; n < 32; ++n) {
        ASSERT_TRUE(sim::core_execute(mtspr(1011, n)));
        EXPECT_EQ(sim::core_ddr(), 0xA5000000 | n);
    }
}

TEST_F(BackCore, WordsAsTheDebugPortSendsThem)
{
    // mfspr r3,1011 / mtspr 1011,r2 / add r2,r1,r0 in their assembled form.
    sim::core_set_ddr(0x77887788);
    ASSERT_TRUE(sim::core_execute(0x7C73FAA6));
    EXPECT_EQ(sim::core_gpr(3), 0x77887788u);
    sim::core_set_gpr(0, 0x12345678);
    sim::core_set_gpr(1, 0x01010101);
    ASSERT_TRUE(sim::core_execute(0x7C410214));
    ASSERT_TRUE(sim::core_execute(0x7C53FBA6));
    EXPECT_EQ(sim::core_ddr(), 0x13355779u);
}

struct miscoded_case {
    const char* what;
    uint32_t word;
    bool executes;
    unsigned changed_gpr; // 32: none
    bool ddr_changes;
};

// Each starts with DDR = 0x11111111, r5 = 0x55555555 and the rest 0, and
// should have executed mfspr r4,1011.
const miscoded_case miscoded[] = {
    {"right word", mfspr(4, 1011), true, 4, false},
    {"extended opcode of mtspr", mtspr(1011, 4), true, 32, true},
    {"SPR halves swapped", (31u << 26) | (4u << 21) | ((1011u >> 5) << 16) | ((1011u & 31) << 11) | (339u << 1), false, 32, false},
    {"target field 5", mfspr(5, 1011), true, 5, false},
    {"record bit set", mfspr(4, 1011) | 1, false, 32, false},
    {"primary opcode 30", (mfspr(4, 1011) & 0x03FFFFFF) | (30u << 26), false, 32, false},
    {"extended opcode 338", xfx(338, 4, 1011), false, 32, false},
};

class BackMiscoded : public testing::TestWithParam<miscoded_case> {};

TEST_P(BackMiscoded, DoesWhatTheFieldsSay)
{
    const miscoded_case& c = GetParam();
    power_on();
    sim::core_set_ddr(0x11111111);
    sim::core_set_gpr(5, 0x55555555);
    EXPECT_EQ(sim::core_execute(c.word), c.executes);
    for (unsigned n = 0; n < 32; ++n) {
        const uint32_t before = n == 5 ? 0x55555555 : 0;
        EXPECT_EQ(sim::core_gpr(n), n == c.changed_gpr ? 0x11111111 : before) << "r" << n;
    }
    EXPECT_EQ(sim::core_ddr(), c.ddr_changes ? 0 : 0x11111111u);
}

INSTANTIATE_TEST_SUITE_P(Words, BackMiscoded, testing::ValuesIn(miscoded),
    [](const testing::TestParamInfo<miscoded_case>& info) { return std::to_string(info.index); });

TEST_F(BackCore, MtdcrLandsInTheDcrOfTheSplitField)
{
    const uint32_t numbers[] = {0x000, 0x01F, 0x020, 0x030, 0x080, 0x091, 0x1C5, 0x1E8, 0x3FF};
    for (uint32_t n : numbers) {
        power_on();
        sim::core_set_gpr(7, 0xC0DE0000 | n);
        ASSERT_TRUE(sim::core_execute(mtdcr(n, 7))) << n;
        for (unsigned d = 0; d < 1024; ++d)
            ASSERT_EQ(sim::core_dcr(d), d == n ? (0xC0DE0000 | n) : 0u) << "writing " << n << ", DCR " << d;
    }
}

TEST_F(BackCore, MtdcrWithSwappedHalvesLandsElsewhere)
{
    // DCR 0x30 assembled as 0x7C100B86; with its halves swapped the number is 0x201.
    sim::core_set_gpr(0, 0x10800000);
    ASSERT_TRUE(sim::core_execute(0x7C100B86));
    EXPECT_EQ(sim::core_dcr(0x30), 0x10800000u);
    sim::core_set_gpr(0, 0x22);
    ASSERT_TRUE(sim::core_execute((31u << 26) | (1u << 16) | (16u << 11) | (451u << 1)));
    EXPECT_EQ(sim::core_dcr(0x30), 0x10800000u);
    EXPECT_EQ(sim::core_dcr(0x201), 0x22u);
}

TEST_F(BackCore, MtmsrTakesTheSourceRegister)
{
    sim::core_set_gpr(9, 0x00029000);
    ASSERT_TRUE(sim::core_execute(mtmsr(9)));
    EXPECT_EQ(sim::core_msr(), 0x00029000u);
    // Reserved rA/rB fields make an invalid form.
    EXPECT_FALSE(sim::core_execute(mtmsr(0) | (3u << 16)));
    EXPECT_FALSE(sim::core_execute(mtmsr(0) | (3u << 11)));
    EXPECT_EQ(sim::core_msr(), 0x00029000u);
}

TEST_F(BackCore, UserModeRefusesPrivilegedMoves)
{
    sim::core_set_gpr(1, 0x4000); // MSR[PR]
    ASSERT_TRUE(sim::core_execute(mtmsr(1)));
    EXPECT_FALSE(sim::core_execute(mtdcr(0x30, 1)));
    EXPECT_FALSE(sim::core_execute(mtspr(272, 1))); // SPRG0
    EXPECT_FALSE(sim::core_execute(mfspr(2, 1011)));
    EXPECT_FALSE(sim::core_execute(mtmsr(0)));
    EXPECT_TRUE(sim::core_execute(mtspr(8, 1))); // LR is a user register
    EXPECT_EQ(sim::core_spr(8), 0x4000u);
    EXPECT_EQ(sim::core_dcr(0x30), 0u);
}

TEST_F(BackCore, SprsAsThe405HasThem)
{
    sim::core_set_gpr(1, 0xFFFFFFFF);
    // Unknown numbers fail both ways.
    EXPECT_FALSE(sim::core_execute(mtspr(0, 1)));
    EXPECT_FALSE(sim::core_execute(mtspr(1023, 1)));
    EXPECT_FALSE(sim::core_execute(mfspr(2, 1023)));
    // XER keeps only its implemented bits.
    ASSERT_TRUE(sim::core_execute(mtspr(1, 1)));
    ASSERT_TRUE(sim::core_execute(mfspr(2, 1)));
    EXPECT_EQ(sim::core_gpr(2), 0xE000007Fu);
    // The time base is written at 284 and read at 268; 268 cannot be written.
    sim::core_set_gpr(3, 0x1234);
    ASSERT_TRUE(sim::core_execute(mtspr(284, 3)));
    ASSERT_TRUE(sim::core_execute(mfspr(4, 268)));
    EXPECT_EQ(sim::core_gpr(4), 0x1234u);
    EXPECT_FALSE(sim::core_execute(mtspr(268, 1)));
    EXPECT_FALSE(sim::core_execute(mfspr(4, 284)));
    // DBSR clears the bits written as 1.
    ASSERT_TRUE(sim::core_execute(mtspr(1008, 1)));
    EXPECT_EQ(sim::core_spr(1008), 0u);
}

TEST_F(BackCore, AddHonoursRecordAndOverflowBits)
{
    struct add_case {
        uint32_t a, b;
        bool oe, rc;
        uint32_t sum, cr0, xer_so_ov;
    } cases[] = {
        {5, 7, false, false, 12, 0, 0},
        {5, 7, false, true, 12, 0x4, 0},             // GT
        {1, 0xFFFFFFFF, false, true, 0, 0x2, 0},    // EQ
        {0, 0x80000000, false, true, 0x80000000, 0x8, 0}, // LT
        {0x7FFFFFFF, 1, true, true, 0x80000000, 0x9, 0x3}, // LT, SO; XER SO and OV
        {0x7FFFFFFF, 1, true, false, 0x80000000, 0, 0x3},
        {0xFFFFFFFF, 1, true, false, 0, 0, 0},       // carry out is no signed overflow
    };
    for (const add_case& c : cases) {
        power_on();
        sim::core_set_gpr(10, c.a);
        sim::core_set_gpr(11, c.b);
        ASSERT_TRUE(sim::core_execute(add(12, 10, 11, c.oe, c.rc)));
        EXPECT_EQ(sim::core_gpr(12), c.sum);
        EXPECT_EQ(sim::core_cr() >> 28, c.cr0) << c.a << "+" << c.b;
        EXPECT_EQ(sim::core_spr(1) >> 30, c.xer_so_ov) << c.a << "+" << c.b;
    }
}

TEST_F(BackCore, SummaryOverflowStaysOnceSet)
{
    sim::core_set_gpr(1, 0x7FFFFFFF);
    sim::core_set_gpr(2, 1);
    ASSERT_TRUE(sim::core_execute(add(3, 1, 2, true)));
    ASSERT_TRUE(sim::core_execute(add(3, 2, 2, true, true)));
    EXPECT_EQ(sim::core_spr(1) >> 30, 0x2u); // SO kept, OV cleared
    EXPECT_EQ(sim::core_cr() >> 28, 0x5u);  // GT with SO
}

TEST_F(BackCore, BadAdderGivesAWrongSum)
{
    sim::faults.bad_adder = true;
    const uint32_t pairs[][2] = {{0x12345678, 0x01010101}, {0, 0}, {1, 1}, {0xFFFFFFFF, 1}};
    for (const auto& p : pairs) {
        sim::core_set_gpr(1, p[0]);
        sim::core_set_gpr(2, p[1]);
        ASSERT_TRUE(sim::core_execute(add(3, 1, 2)));
        EXPECT_NE(sim::core_gpr(3), p[0] + p[1]);
    }
}

TEST_F(BackCore, NoExecuteRunsNothingButReportsSuccess)
{
    sim::faults.no_execute = true;
    sim::core_set_ddr(0x55667788);
    sim::core_set_gpr(0, 0x99);
    const uint32_t words[] = {mfspr(2, 1011), mtspr(1011, 0), mtdcr(0x30, 0), mtmsr(0), add(2, 0, 0),
                              stw(0, 0x100, 0), 0xFFFFFFFF};
    for (uint32_t w : words)
        EXPECT_TRUE(sim::core_execute(w));
    EXPECT_EQ(sim::core_gpr(2), 0u);
    EXPECT_EQ(sim::core_ddr(), 0x55667788u);
    EXPECT_EQ(sim::core_dcr(0x30), 0u);
    EXPECT_EQ(sim::core_msr(), 0u);
}

TEST_F(BackCore, OtherInstructionsFail)
{
    const uint32_t words[] = {
        0x00000000,
        d_form(32, 1, 1, 0),           // lwz
        d_form(34, 1, 1, 0),           // lbz
        (31u << 26) | (1u << 21) | (83u << 1),  // mfmsr
        xfx(323, 1, 0x30),             // mfdcr
        (31u << 26) | (3u << 21) | (1u << 16) | (2u << 11) | (40u << 1), // subf
    };
    for (uint32_t w : words) {
        EXPECT_FALSE(sim::core_execute(w)) << std::hex << w;
        EXPECT_EQ(sim::core_gpr(1), 0u);
    }
}

// The update forms leave the effective address in rA (stwu, lwzu, lhzu of
// the PowerPC ISA); rA = 0, and rA = rD for a load, make invalid forms.
TEST_F(BackCore, UpdateFormsWalkThroughRa)
{
    sim::core_set_gpr(1, 0x1000);
    sim::core_set_gpr(2, 0x11223344);
    ASSERT_TRUE(sim::core_execute(d_form(37, 2, 1, 8))); // stwu r2, 8(r1)
    EXPECT_EQ(sim::core_gpr(1), 0x1008u);
    ASSERT_TRUE(sim::core_execute(d_form(33, 3, 1, 0))); // lwzu r3, 0(r1)
    EXPECT_EQ(sim::core_gpr(3), 0x11223344u);
    ASSERT_TRUE(sim::core_execute(d_form(41, 4, 1, 2))); // lhzu r4, 2(r1): big-endian, the low half
    EXPECT_EQ(sim::core_gpr(4), 0x3344u);
    EXPECT_EQ(sim::core_gpr(1), 0x100Au);
    for (uint32_t invalid : {d_form(37, 2, 0, 8), d_form(33, 1, 1, 0), d_form(41, 3, 3, 0), d_form(33, 2, 0, 4)})
        EXPECT_FALSE(sim::core_execute(invalid)) << std::hex << invalid;
    EXPECT_EQ(sim::core_gpr(1), 0x100Au);
}

// lmw fills rD to r31 from consecutive words (the PowerPC ISA); rA among
// them, rA = 0 included, and an address off a word make invalid forms. addi
// adds a signed immediate to rA, or to 0 where rA is 0.
TEST_F(BackCore, LoadMultipleAndAddImmediate)
{
    for (uint32_t r = 0; r < 4; ++r) {
        sim::core_set_gpr(1, 0x1000 + 4 * r);
        sim::core_set_gpr(2, 0xA0000000 + r);
        ASSERT_TRUE(sim::core_execute(d_form(36, 2, 1, 0))); // stw r2, 0(r1)
    }
    sim::core_set_gpr(1, 0x1004);
    ASSERT_TRUE(sim::core_execute(d_form(46, 29, 1, -4))); // lmw r29, -4(r1)
    EXPECT_EQ(sim::core_gpr(29), 0xA0000000u);
    EXPECT_EQ(sim::core_gpr(30), 0xA0000001u);
    EXPECT_EQ(sim::core_gpr(31), 0xA0000002u);
    for (uint32_t invalid : {d_form(46, 1, 1, 0), d_form(46, 0, 0, 0x1000), d_form(46, 30, 1, 2)})
        EXPECT_FALSE(sim::core_execute(invalid)) << std::hex << invalid;
    ASSERT_TRUE(sim::core_execute(d_form(14, 1, 1, -8))); // addi r1, r1, -8
    EXPECT_EQ(sim::core_gpr(1), 0x0FFCu);
    ASSERT_TRUE(sim::core_execute(d_form(14, 3, 0, 120))); // addi r3, 0, 120
    EXPECT_EQ(sim::core_gpr(3), 120u);
}

TEST_F(BackCore, EventLogRecordsWritesInOrderWhenOn)
{
    sim::core_set_gpr(0, 0x10800000);
    sim::core_set_gpr(1, 0x40060000);
    sim::core_set_gpr(2, 0x44000002);
    ASSERT_TRUE(sim::core_execute(mtdcr(0x30, 0)));
    EXPECT_TRUE(sim::events().empty());

    sim::events_record(true);
    ASSERT_TRUE(sim::core_execute(mtdcr(0x30, 0)));
    ASSERT_TRUE(sim::core_execute(mtspr(0x3F0, 2)));
    ASSERT_TRUE(sim::core_execute(mtmsr(0)));
    ASSERT_TRUE(sim::core_execute(stw(2, 0, 1)));
    ASSERT_TRUE(sim::core_execute(sth(2, 0x10, 0)));
    EXPECT_FALSE(sim::core_execute(stw(2, 2, 1))); // misaligned register access: no event
    sim::events_record(false);
    ASSERT_TRUE(sim::core_execute(mtdcr(0x31, 0)));

    const std::vector<sim::event>& log = sim::events();
    ASSERT_EQ(log.size(), 5u);
    const sim::event want[] = {
        {sim::event_kind::dcr_write, 4, 0x30, 0x10800000},
        {sim::event_kind::spr_write, 4, 0x3F0, 0x44000002},
        {sim::event_kind::msr_write, 4, 0, 0x10800000},
        {sim::event_kind::store, 4, 0x40060000, 0x44000002},
        {sim::event_kind::store, 2, 0x10, 0x0002},
    };
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].kind, want[i].kind) << i;
        EXPECT_EQ(log[i].width, want[i].width) << i;
        EXPECT_EQ(log[i].number, want[i].number) << i;
        EXPECT_EQ(log[i].value, want[i].value) << i;
    }
}

TEST_F(BackCore, PowerOnClearsTheCore)
{
    sim::core_set_gpr(4, 1);
    sim::core_set_ddr(2);
    ASSERT_TRUE(sim::core_execute(mtdcr(5, 4)));
    ASSERT_TRUE(sim::core_execute(mtmsr(4)));
    sim::core_power_on();
    EXPECT_EQ(sim::core_gpr(4), 0u);
    EXPECT_EQ(sim::core_ddr(), 0u);
    EXPECT_EQ(sim::core_dcr(5), 0u);
    EXPECT_EQ(sim::core_msr(), 0u);
}

} // namespace
