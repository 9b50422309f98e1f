// SPDX-License-Identifier: MIT
// board_init on the virtual box, judged by what the box holds afterwards: the
// families agree everywhere but the register block, every store of the block
// lands and the unused offsets stay alone, zeros are written, the two DCR
// blocks end in their documented pattern, and the core's scratch registers
// are where the script leaves them.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "board/board_init.h"
#include "sim/bus.h"
#include "sim/core.h"
#include "sim/events.h"
#include "target/link_test.h"
#include "target/memory.h"
#include "target/registers.h"
#include "tests/board/board_models.h"
#include "tests/target/box_session.h"

namespace {

constexpr uint32_t sentinel = 0x5EA15EA1; // a value no script writes
constexpr unsigned block_words = sim::register_block_size / 4;
constexpr uint32_t old_r0 = 0x600DF00D;

struct box_state {
    std::vector<uint32_t> dcr, spr, block;
    uint32_t msr = 0;
    bool operator==(const box_state&) const = default;
};

box_state box_now()
{
    box_state s;
    for (unsigned n = 0; n < 1024; ++n) {
        s.dcr.push_back(sim::core_dcr(n));
        s.spr.push_back(sim::core_spr(n));
    }
    for (unsigned n = 0; n < block_words; ++n)
        s.block.push_back(sim::bus_register(n));
    s.msr = sim::core_msr();
    return s;
}

// A halted box, with prepare() run on it, then the model's board_init.
box_state run_board_on_box(int32_t model_code, void (*prepare)() = nullptr)
{
    start_box_session();
    EXPECT_EQ(target_test(), 0);
    if (prepare != nullptr)
        prepare();
    gpr_write(0, old_r0);
    board_message = "";
    testing::internal::CaptureStdout();
    EXPECT_EQ(board_init(model_code), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(sim::core_gpr(0), old_r0) << "r0 is borrowed and given back";
    return box_now();
}

void fill_block_with_sentinel()
{
    for (unsigned n = 0; n < block_words; ++n)
        mem_write32(sim::register_block_base + 4 * n, sentinel);
}

TEST(BoardOnBox, FamiliesAgreeOutsideTheRegisterBlockAndModelsOfAFamilyAgreeEverywhere)
{
    std::vector<box_state> states;
    for (const board_model& m : board_models)
        states.push_back(run_board_on_box(m.model_code));
    for (size_t i = 0; i < states.size(); ++i)
        for (size_t j = i + 1; j < states.size(); ++j) {
            SCOPED_TRACE(testing::Message() << board_models[i].model_code << " against " << board_models[j].model_code);
            EXPECT_EQ(states[i].dcr, states[j].dcr);
            EXPECT_EQ(states[i].spr, states[j].spr);
            EXPECT_EQ(states[i].msr, states[j].msr);
            EXPECT_EQ(states[i].block == states[j].block, board_models[i].family == board_models[j].family);
        }
}

TEST(BoardOnBox, ZorvanAndPelloxDifferOnlyAtBlockOffsets0CAnd14)
{
    const box_state zorvan = run_board_on_box(0);
    const box_state pellox = run_board_on_box(4);
    for (unsigned n = 0; n < block_words; ++n) {
        SCOPED_TRACE(testing::Message() << "offset " << std::hex << 4 * n);
        if (4 * n == 0x0C || 4 * n == 0x14) {
            EXPECT_EQ(zorvan.block[n], 0x50005410u);
            EXPECT_EQ(pellox.block[n], 0x50805410u);
        } else {
            EXPECT_EQ(zorvan.block[n], pellox.block[n]);
        }
    }
}

// The block's registers 0x00 to 0x18 and 0x30 to 0x44 are written, 0x1C to
// 0x2C and everything above 0x44 are not; the last store is the one at 0x44,
// whose address and value stay in r1 and r2.
TEST(BoardOnBox, EveryStoreOfTheBlockLandsAndTheUnusedOffsetsStayAlone)
{
    for (const char family : {'Z', 'P', 'X', 'Q'}) {
        int32_t code = -1;
        for (const board_model& m : board_models)
            if (m.family == family && code < 0)
                code = m.model_code;
        SCOPED_TRACE(family);
        const box_state s = run_board_on_box(code, fill_block_with_sentinel);
        for (unsigned n = 0; n < block_words; ++n) {
            const uint32_t offset = 4 * n;
            const bool written = offset <= 0x18 || (offset >= 0x30 && offset <= 0x44);
            EXPECT_EQ(s.block[n] != sentinel, written) << "offset " << std::hex << offset;
        }
        EXPECT_EQ(sim::core_gpr(1), sim::register_block_base + 0x44);
        EXPECT_EQ(sim::core_gpr(2), s.block[0x44 / 4]);
    }
}

enum class reg_kind { dcr, spr, msr };

struct zero_register {
    reg_kind kind;
    uint32_t number;
};

// Registers the board's documentation sets to 0 (no step is skipped for a 0).
constexpr zero_register documented_zeros[] = {
    {reg_kind::dcr, 0x35}, {reg_kind::dcr, 0x70}, {reg_kind::dcr, 0x71}, {reg_kind::dcr, 0x72},
    {reg_kind::dcr, 0x73}, {reg_kind::dcr, 0x74}, {reg_kind::dcr, 0x75}, {reg_kind::dcr, 0x76},
    {reg_kind::dcr, 0x77}, {reg_kind::dcr, 0x1E1}, {reg_kind::dcr, 0x1C1}, {reg_kind::spr, 0x3B9},
    {reg_kind::spr, 0x3BA}, {reg_kind::spr, 0x3D4}, {reg_kind::spr, 0x3DA}, {reg_kind::spr, 1},
    {reg_kind::msr, 0},
};

uint32_t value_of(const zero_register& r)
{
    switch (r.kind) {
    case reg_kind::dcr:
        return sim::core_dcr(r.number);
    case reg_kind::spr:
        return sim::core_spr(r.number);
    case reg_kind::msr:
        break;
    }
    return sim::core_msr();
}

void fill_zeros_with_sentinel()
{
    for (const zero_register& r : documented_zeros) {
        const uint32_t v = r.kind == reg_kind::spr && r.number == 1 ? 0xE000007Fu : sentinel; // XER's bits
        switch (r.kind) {
        case reg_kind::dcr:
            dcr_write(r.number, v);
            break;
        case reg_kind::spr:
            spr_write(r.number, v);
            break;
        case reg_kind::msr:
            msr_write(0x00001000);
            break;
        }
        EXPECT_NE(value_of(r), 0u) << "the box must hold the filler first";
    }
}

TEST(BoardOnBox, ZeroValuesAreWrittenLikeAnyOther)
{
    run_board_on_box(0, fill_zeros_with_sentinel);
    for (const zero_register& r : documented_zeros)
        EXPECT_EQ(value_of(r), 0u) << static_cast<int>(r.kind) << " " << std::hex << r.number;
}

// Two DCR blocks (B = 0x1E0, then 0x1C0): B+4 and B+7 differ only in bit 25,
// B+5 is written once, then again after B+8 with bit 15 added.
TEST(BoardOnBox, EachDcrBlockWritesBPlus5AgainWithBit15AfterBPlus8)
{
    start_box_session();
    ASSERT_EQ(target_test(), 0);
    board_message = "";
    sim::events_clear();
    sim::events_record(true);
    testing::internal::CaptureStdout();
    ASSERT_EQ(board_init(0), 0);
    testing::internal::GetCapturedStdout();
    sim::events_record(false);
    for (const uint32_t b : {0x1E0u, 0x1C0u}) {
        SCOPED_TRACE(testing::Message() << "block " << std::hex << b);
        std::vector<uint32_t> b5_values;
        std::vector<size_t> b5_at;
        size_t b8_at = 0;
        const std::vector<sim::event>& log = sim::events();
        for (size_t i = 0; i < log.size(); ++i) {
            if (log[i].kind != sim::event_kind::dcr_write)
                continue;
            if (log[i].number == b + 5) {
                b5_values.push_back(log[i].value);
                b5_at.push_back(i);
            }
            if (log[i].number == b + 8)
                b8_at = i;
        }
        ASSERT_EQ(b5_values.size(), 2u);
        EXPECT_LT(b5_at[0], b8_at);
        EXPECT_GT(b5_at[1], b8_at);
        EXPECT_EQ(b5_values[1], b5_values[0] | 0x8000u);
        EXPECT_NE(b5_values[1], b5_values[0]);
        EXPECT_EQ(sim::core_dcr(b + 5), b5_values[1]);
        EXPECT_EQ(sim::core_dcr(b + 8), b5_values[0]);
        EXPECT_EQ(sim::core_dcr(b + 4) ^ sim::core_dcr(b + 7), 0x02000000u);
    }
    sim::events_clear();
}

} // namespace
