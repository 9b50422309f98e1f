// board_init against the exchange recorder: the script read back out of the
// exchanges, decoded by instruction fields, step by step.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "board/board_init.h"
#include "tests/board/expected_script.h"
#include "tests/support/exchange_recorder.h"

namespace {

constexpr uint32_t old_r0 = 0x0BADF00D; // what r0 holds before each step

struct decoded_step {
    expected_kind kind;
    uint32_t where;
    uint32_t value;
    bool operator==(const decoded_step&) const = default;
};

recorded_exchange data_write_of(uint32_t v)
{
    return {0x5C, v, 1};
}

recorded_exchange execution_of(uint32_t w)
{
    return {0x3C, w, 1};
}

// mtdcr/mtspr/mtmsr with source r0, decoded from the X-form fields.
std::optional<decoded_step> decode_move(uint32_t word, uint32_t value)
{
    if (word >> 26 != 31 || (word >> 21 & 0x1F) != 0 || (word & 1) != 0)
        return std::nullopt;
    const uint32_t number = (word >> 16 & 0x1F) | (word >> 11 & 0x1F) << 5;
    switch (word >> 1 & 0x3FF) {
    case 451:
        return decoded_step{e_dcr, number, value};
    case 467:
        return decoded_step{e_spr, number, value};
    case 146:
        if ((word >> 11 & 0x3FF) != 0)
            return std::nullopt;
        return decoded_step{e_msr, 0, value};
    default:
        return std::nullopt;
    }
}

// Splits the exchanges into register moves (seven exchanges that save and
// restore r0) and stores (five exchanges through r1 and r2).
std::vector<decoded_step> decode(const std::vector<recorded_exchange>& x)
{
    std::vector<decoded_step> steps;
    size_t i = 0;
    while (i < x.size()) {
        if (i + 7 <= x.size() && x[i] == execution_of(0x7C13FBA6)) {
            const bool framed = x[i + 1] == recorded_exchange{0x5C, 0, 0} && x[i + 2].instruction == 0x5C
                && x[i + 2].final_bit == 1 && x[i + 3] == execution_of(0x7C13FAA6) && x[i + 4].instruction == 0x3C
                && x[i + 4].final_bit == 1 && x[i + 5] == data_write_of(old_r0) && x[i + 6] == execution_of(0x7C13FAA6);
            EXPECT_TRUE(framed) << "register move at exchange " << i;
            const std::optional<decoded_step> step = decode_move(x[i + 4].data, x[i + 2].data);
            EXPECT_TRUE(step.has_value()) << "word " << std::hex << x[i + 4].data;
            if (!framed || !step)
                return steps;
            steps.push_back(*step);
            i += 7;
        } else if (i + 5 <= x.size() && x[i].instruction == 0x5C && x[i].final_bit == 1
            && x[i + 1] == execution_of(0x7C33FAA6) && x[i + 2].instruction == 0x5C && x[i + 2].final_bit == 1
            && x[i + 3] == execution_of(0x7C53FAA6) && x[i + 4] == execution_of(0x90410000)) {
            steps.push_back({e_store, x[i].data, x[i + 2].data});
            i += 5;
        } else {
            ADD_FAILURE() << "no step starts at exchange " << i;
            return steps;
        }
    }
    return steps;
}

std::vector<decoded_step> expected_steps(family f)
{
    std::vector<decoded_step> steps;
    for (const expected_step& s : expected_script)
        steps.push_back({s.kind, s.where, s.value[f]});
    return steps;
}

class BoardSequence : public testing::Test {
protected:
    void SetUp() override
    {
        recorder_reset();
        recorder_default_reply = old_r0;
        flash_base = 0;
        image_offset = 0;
        board_message = nullptr;
    }

    // Runs board_init for one model; what it printed.
    std::string run_board(int32_t model_code, const char* message, int expected_result)
    {
        recorder_reset();
        recorder_default_reply = old_r0;
        board_message = message;
        testing::internal::CaptureStdout();
        EXPECT_EQ(board_init(model_code), expected_result);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(BoardSequence, EveryModelRunsItsFamilyScriptThenSetsTheFlashWindow)
{
    for (const expected_model& m : expected_models) {
        SCOPED_TRACE(m.model_code);
        flash_base = 0;
        image_offset = 0;
        EXPECT_EQ(run_board(m.model_code, m.message, 0), m.message);
        EXPECT_EQ(recorded_exchanges.size(), 338u);
        EXPECT_EQ(decode(recorded_exchanges), expected_steps(m.script));
        EXPECT_EQ(flash_base, 0xFF800000u);
        EXPECT_EQ(image_offset, 0x7D0000u);
    }
}

TEST_F(BoardSequence, PalAndNtscSendTheSameExchanges)
{
    for (const int32_t pal : {0, 1, 3, 4, 5}) {
        SCOPED_TRACE(pal);
        run_board(pal, "", 0);
        const std::vector<recorded_exchange> pal_exchanges = recorded_exchanges;
        run_board(pal + 10000, "", 0);
        EXPECT_EQ(recorded_exchanges, pal_exchanges);
    }
}

TEST_F(BoardSequence, ZorvanAndPelloxDifferOnlyInSteps23And25)
{
    run_board(0, "", 0);
    const std::vector<recorded_exchange> zorvan = recorded_exchanges;
    run_board(4, "", 0);
    const std::vector<recorded_exchange> pellox = recorded_exchanges;
    ASSERT_EQ(zorvan.size(), pellox.size());
    std::vector<size_t> differing;
    for (size_t i = 0; i < zorvan.size(); ++i)
        if (!(zorvan[i] == pellox[i]))
            differing.push_back(i);
    // Steps 1-19 are seven exchanges each; the stored value is the third
    // exchange of a five-exchange store.
    const size_t step23_value = 19 * 7 + 3 * 5 + 2;
    const size_t step25_value = 19 * 7 + 5 * 5 + 2;
    EXPECT_EQ(differing, (std::vector<size_t>{step23_value, step25_value}));
    EXPECT_EQ(zorvan[step23_value].data, 0x50005410u);
    EXPECT_EQ(pellox[step23_value].data, 0x50805410u);
}

TEST_F(BoardSequence, ModelWithoutScriptSendsNothingAndKeepsTheWindowUnset)
{
    for (const int32_t code : {2, 7, 10002, 10006, -1, 20000}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(run_board(code, "some board\n", -1), "some board\nUnknown model:" + std::to_string(code) + "\n");
        EXPECT_TRUE(recorded_events.empty());
        EXPECT_EQ(flash_base, 0u);
        EXPECT_EQ(image_offset, 0u);
    }
}

TEST_F(BoardSequence, MissingBoardMessagePrintsOnlyTheVerdict)
{
    EXPECT_EQ(run_board(10006, nullptr, -1), "Unknown model:10006\n");
}

} // namespace
