// SPDX-License-Identifier: MIT
// The bit clock and the reset group, byte for byte on the recording port.
#include <gtest/gtest.h>

#include <vector>

#include "link/cable.h"
#include "link/debug_exchange.h"
#include "tests/link/recorded_link.h"

namespace {

class Cable : public RecordedLink {};

TEST_F(Cable, OneClockIsTwoHalvesAndOneStatusRead)
{
    const struct {
        const char* name;
        int32_t delay;
        uint8_t shadow;
        int tms, tdi;
        std::vector<uint8_t> writes;
        uint8_t shadow_after;
    } cases[] = {
        {"one write per half", 1, 0x00, 0, 0, {0x10, 0x14}, 0x04},
        {"tms, reset group kept", 3, 0xF5, 1, 0, {0xF3, 0xF3, 0xF3, 0xF7, 0xF7, 0xF7}, 0xF7},
        {"tdi, old tms and tck dropped", 2, 0x06, 0, 1, {0x18, 0x18, 0x1C, 0x1C}, 0x0C},
        {"any non-zero level is 1", 1, 0x00, 2, -1, {0x1A, 0x1E}, 0x0E},
        {"bit 4 of the shadow passes the clock mask", 1, 0x10, 0, 0, {0x10, 0x14}, 0x14},
        {"no write at delay 0, shadow still follows", 0, 0xF1, 1, 1, {}, 0xFF},
        {"no write at negative delay", -7, 0x81, 0, 1, {}, 0x8D},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        recording_port_reset();
        clock_delay = c.delay;
        port_shadow = c.shadow;
        tap_clock(c.tms, c.tdi);
        EXPECT_EQ(recording_port.writes, c.writes);
        EXPECT_EQ(recording_port.reads, 1u);
        EXPECT_EQ(port_shadow, c.shadow_after);
    }
}

// The cable's DB-25 wiring on the data register: D0 pin 2, ..., D7 pin 9.
enum class line { reset_group, tms, tck, tdi, held_high };
constexpr line data_bit_line[8] = {line::reset_group, line::tms, line::tck, line::tdi, line::held_high,
    line::reset_group, line::reset_group, line::reset_group};

bool level(uint8_t byte, line which, bool& all_agree)
{
    int high = 0;
    int count = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (data_bit_line[bit] == which) {
            ++count;
            high += (byte >> bit) & 1;
        }
    all_agree = high == 0 || high == count;
    return high != 0;
}

// Every byte keeps D4 high and the four reset-group bits together; TMS and
// TDI are on D1 and D3 for both halves of a clock, TCK on D2 low then high.
TEST_F(Cable, EveryByteFollowsTheCablePinout)
{
    clock_delay = 2;
    for (const int reset : {0, 1})
        for (const int tms : {0, 1})
            for (const int tdi : {0, 1}) {
                SCOPED_TRACE(testing::Message() << "reset " << reset << " tms " << tms << " tdi " << tdi);
                recording_port_reset();
                port_shadow = 0;
                set_reset_lines(reset);
                tap_clock(tms, tdi);
                ASSERT_EQ(recording_port.writes.size(), 5u);
                for (size_t i = 0; i < recording_port.writes.size(); ++i) {
                    SCOPED_TRACE(testing::Message() << "write " << i);
                    const uint8_t byte = recording_port.writes[i];
                    bool together = true;
                    EXPECT_TRUE(level(byte, line::held_high, together));
                    EXPECT_EQ(level(byte, line::reset_group, together), reset != 0);
                    EXPECT_TRUE(together) << "reset group bits apart in " << int(byte);
                    if (i == 0)
                        continue; // the reset group's own write
                    EXPECT_EQ(level(byte, line::tms, together), tms != 0);
                    EXPECT_EQ(level(byte, line::tdi, together), tdi != 0);
                    EXPECT_EQ(level(byte, line::tck, together), i >= 3);
                }
            }
}

// Status bit 7 is BUSY (pin 11), which the port inverts: TDO is 1 when it reads 0.
TEST_F(Cable, TdoIsStatusBit7Inverted)
{
    const struct {
        uint8_t status;
        int tdo;
    } cases[] = {{0x7F, 1}, {0x00, 1}, {0x01, 1}, {0x80, 0}, {0xFF, 0}, {0x81, 0}};
    for (const auto& c : cases) {
        recording_port.script.push_back(c.status);
        EXPECT_EQ(tap_clock(0, 0), c.tdo) << "status " << int(c.status);
    }
}

TEST_F(Cable, ResetGroupIsOneWriteWithoutTckEdge)
{
    clock_delay = 5; // never repeated
    port_shadow = 0xF7;
    set_reset_lines(0);
    EXPECT_EQ(port_shadow, 0x06);
    set_reset_lines(1);
    EXPECT_EQ(port_shadow, 0xF7);
    set_reset_lines(-3); // any non-zero level is high
    EXPECT_EQ(port_shadow, 0xF7);
    EXPECT_EQ(recording_port.writes, (std::vector<uint8_t>{0x16, 0xF7, 0xF7}));
    EXPECT_EQ(recording_port.reads, 0u);
}

TEST_F(Cable, FirstByteOfARunAndTheGroupAcrossClocks)
{
    // Nothing written before: the group goes low with only bit 4 on the port.
    set_reset_lines(0);
    clock_delay = 1;
    tap_clock(1, 1);
    set_reset_lines(1);
    tap_clock(0, 0);
    EXPECT_EQ(recording_port.writes, (std::vector<uint8_t>{0x10, 0x1A, 0x1E, 0xFF, 0xF1, 0xF5}));
    EXPECT_EQ(port_shadow, 0xF5);
}

} // namespace
