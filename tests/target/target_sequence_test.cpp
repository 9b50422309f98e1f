// SPDX-License-Identifier: MIT
// The exact debug exchanges of the target operations, against the recorder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "target/link_test.h"
#include "target/memory.h"
#include "target/registers.h"
#include "target/reset_and_halt.h"
#include "tests/support/exchange_recorder.h"

namespace {

using exchanges = std::vector<recorded_exchange>;

recorded_exchange write_of(uint32_t value)
{
    return {0x5C, value, 1};
}

recorded_exchange read_of()
{
    return {0x5C, 0, 0};
}

recorded_exchange run(uint32_t word)
{
    return {0x3C, word, 1};
}

class TargetSequence : public testing::Test {
protected:
    void SetUp() override
    {
        recorder_reset();
    }
};

TEST_F(TargetSequence, GprAccessIsADataTransferAndAMove)
{
    struct gpr_case {
        uint32_t reg;
        uint32_t mfspr; // GPR takes the data register
        uint32_t mtspr; // data register takes the GPR
    };
    const gpr_case cases[] = {
        {0, 0x7C13FAA6, 0x7C13FBA6},
        {1, 0x7C33FAA6, 0x7C33FBA6},
        {3, 0x7C73FAA6, 0x7C73FBA6},
        {31, 0x7FF3FAA6, 0x7FF3FBA6},
    };
    for (const gpr_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "r" << c.reg);
        recorder_reset();
        recorder_read_replies = {0xDEAD0000u + c.reg};
        gpr_write(c.reg, 0x80000001u + c.reg);
        EXPECT_EQ(gpr_read(c.reg), 0xDEAD0000u + c.reg);
        EXPECT_EQ(recorded_exchanges, (exchanges{write_of(0x80000001u + c.reg), run(c.mfspr), run(c.mtspr), read_of()}));
    }
}

enum class move_kind { dcr, spr, msr };

void move(move_kind kind, uint32_t number, uint32_t value)
{
    switch (kind) {
    case move_kind::dcr:
        dcr_write(number, value);
        break;
    case move_kind::spr:
        spr_write(number, value);
        break;
    case move_kind::msr:
        msr_write(value);
        break;
    }
}

TEST_F(TargetSequence, RegisterMovesBorrowR0AndGiveItBack)
{
    struct move_case {
        move_kind kind;
        uint32_t number;
        uint32_t value;
        uint32_t word; // encoded by hand
    };
    const move_case cases[] = {
        {move_kind::dcr, 0x30, 0x10800000, 0x7C100B86},
        {move_kind::dcr, 0x80, 0xF878BFFE, 0x7C002386},
        {move_kind::dcr, 0x1E5, 0x01F08000, 0x7C057B86},
        {move_kind::dcr, 0x91, 0xFFFFFFFF, 0x7C112386},
        {move_kind::dcr, 0, 0, 0x7C000386},
        {move_kind::dcr, 1023, 7, 0x7C1FFB86},
        {move_kind::spr, 1011, 0x00ABCDEF, 0x7C13FBA6},
        {move_kind::spr, 1, 0, 0x7C0103A6},
        {move_kind::spr, 0x3F0, 0xFFFFFFFF, 0x7C10FBA6},
        {move_kind::spr, 0x3B9, 0, 0x7C19EBA6},
        {move_kind::spr, 1023, 1, 0x7C1FFBA6},
        {move_kind::msr, 0, 0, 0x7C000124},
        {move_kind::msr, 0, 0x00029000, 0x7C000124},
    };
    const uint32_t old_r0 = 0xC0FFEE01;
    for (const move_case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " " << c.number);
        recorder_reset();
        recorder_read_replies = {old_r0};
        testing::internal::CaptureStdout();
        move(c.kind, c.number, c.value);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        const exchanges expected = {
            run(0x7C13FBA6), read_of(),         // save r0
            write_of(c.value), run(0x7C13FAA6), // r0 = value
            run(c.word),                        // the move itself
            write_of(old_r0), run(0x7C13FAA6),  // r0 back
        };
        EXPECT_EQ(recorded_exchanges, expected);
    }
}

TEST_F(TargetSequence, IllegalRegisterNumberSendsNothing)
{
    struct illegal_case {
        const char* name;
        void (*call)();
        const char* message;
    };
    const illegal_case cases[] = {
        {"gpr_write 32", [] { gpr_write(32, 1); }, "illegal reg\n"},
        {"gpr_write -1", [] { gpr_write(0xFFFFFFFF, 1); }, "illegal reg\n"},
        {"gpr_read 32", [] { EXPECT_EQ(gpr_read(32), 0u); }, "illegal reg\n"},
        {"gpr_read -1", [] { EXPECT_EQ(gpr_read(0xFFFFFFFF), 0u); }, "illegal reg\n"},
        {"dcr_write 1024", [] { dcr_write(1024, 1); }, "illegal dcr\n"},
        {"dcr_write -1", [] { dcr_write(0xFFFFFFFF, 1); }, "illegal dcr\n"},
        {"spr_write 1024", [] { spr_write(1024, 1); }, "illegal spr\n"},
        {"spr_write 2^31", [] { spr_write(0x80000000, 1); }, "illegal spr\n"},
    };
    for (const illegal_case& c : cases) {
        SCOPED_TRACE(c.name);
        recorder_reset();
        recorder_read_replies = {0x11111111};
        testing::internal::CaptureStdout();
        c.call();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
        EXPECT_TRUE(recorded_events.empty());
    }
}

TEST_F(TargetSequence, MemWrite32LoadsAddressAndValueThenStores)
{
    for (const uint32_t value : {0x44000002u, 0u}) {
        recorder_reset();
        mem_write32(0x40060000, value);
        const exchanges expected = {
            write_of(0x40060000), run(0x7C33FAA6), write_of(value), run(0x7C53FAA6), run(0x90410000),
        };
        EXPECT_EQ(recorded_exchanges, expected);
    }
}

TEST_F(TargetSequence, ResetAndHaltWritesTheControlWordsAroundTheReleaseOfReset)
{
    reset_and_halt();
    // The TAP reset's clocks are judged on the virtual box; here, one run of TMS-high clocks.
    std::vector<recorded_event> events;
    for (const recorded_event& e : recorded_events)
        if (e.kind != recorded_kind::clock || events.empty() || !(events.back() == e))
            events.push_back(e);
    const std::vector<recorded_event> expected = {
        {recorded_kind::reset_lines, 0},
        {recorded_kind::clock, 1, 0, 0},
        {recorded_kind::sleep, 0, 100},
        {recorded_kind::exchange, 0x2C, 0xB8000000, 1},
        {recorded_kind::reset_lines, 1},
        {recorded_kind::sleep, 0, 100},
        {recorded_kind::exchange, 0x2C, 0x80000000, 1},
    };
    EXPECT_EQ(events, expected);
}

const exchanges full_target_test = {
    write_of(0xAA55AA55), read_of(),                                   // register test
    write_of(0x77887788), run(0x7C73FAA6), write_of(0x55667788),       // r3, r2
    run(0x7C53FAA6), run(0x7C73FBA6), read_of(), run(0x7C53FBA6), read_of(),
    write_of(0x12345678), run(0x7C13FAA6), write_of(0x01010101),       // r0, r1
    run(0x7C33FAA6), run(0x7C410214), run(0x7C53FBA6), read_of(),      // r2 = r1 + r0
};

TEST_F(TargetSequence, TargetTestPassesSilentlyInSeventeenExchanges)
{
    recorder_read_replies = {0xAA55AA55, 0x77887788, 0x55667788, 0x13355779};
    testing::internal::CaptureStdout();
    EXPECT_EQ(target_test(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(recorded_exchanges, full_target_test);
}

TEST_F(TargetSequence, TargetTestStopsAtTheFirstWrongRead)
{
    struct failure_case {
        const char* name;
        std::deque<uint32_t> replies;
        size_t exchanges_sent;
        const char* message;
    };
    const failure_case cases[] = {
        {"register pattern lost", {0}, 2, "Register test failed. Check cable connection.\n"},
        {"one bit off", {0xAA55AA54}, 2, "Register test failed. Check cable connection.\n"},
        {"r3 lost", {0xAA55AA55, 0x55667788}, 8, "Register write/read test failed. Check cable connection.\n"},
        {"r2 lost", {0xAA55AA55, 0x77887788, 0x77887788}, 10,
            "Register write/read test failed. Check cable connection.\n"},
        {"wrong sum", {0xAA55AA55, 0x77887788, 0x55667788, 0x13355778}, 17,
            "CPU test failed. Check Box and cable connection.\n"},
        {"sum not added", {0xAA55AA55, 0x77887788, 0x55667788, 0x55667788}, 17,
            "CPU test failed. Check Box and cable connection.\n"},
    };
    for (const failure_case& c : cases) {
        SCOPED_TRACE(c.name);
        recorder_reset();
        recorder_read_replies = c.replies;
        recorder_default_reply = 0xFFFFFFFF;
        testing::internal::CaptureStdout();
        EXPECT_EQ(target_test(), -1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
        EXPECT_EQ(recorded_exchanges,
            exchanges(full_target_test.begin(), full_target_test.begin() + static_cast<long>(c.exchanges_sent)));
    }
}

} // namespace
