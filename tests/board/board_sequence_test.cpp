// SPDX-License-Identifier: MIT
// board_init against the exchange recorder: which models run a script, which
// share one, and what a model without a script does. What the scripts leave
// in the box is checked on the virtual box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board_init.h"
#include "tests/board/board_models.h"
#include "tests/support/exchange_recorder.h"

namespace {

class BoardSequence : public testing::Test {
protected:
    void SetUp() override
    {
        recorder_reset();
        flash_base = 0;
        image_offset = 0;
        board_message = nullptr;
    }

    // Runs board_init for one model; what it printed.
    std::string run_board(int32_t model_code, const char* message, int expected_result)
    {
        recorder_reset();
        recorder_default_reply = 0x0BADF00D; // r0 before each step
        board_message = message;
        testing::internal::CaptureStdout();
        EXPECT_EQ(board_init(model_code), expected_result);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(BoardSequence, EveryModelPrintsItsMessageRunsAScriptThenSetsTheFlashWindow)
{
    for (const board_model& m : board_models) {
        SCOPED_TRACE(m.model_code);
        flash_base = 0;
        image_offset = 0;
        EXPECT_EQ(run_board(m.model_code, "some board initialize\n", 0), "some board initialize\n");
        EXPECT_FALSE(recorded_exchanges.empty());
        EXPECT_EQ(flash_base, 0xFF800000u);
        EXPECT_EQ(image_offset, 0x7D0000u);
    }
}

// PAL and NTSC of a model, and models of one family, share a script; the
// four families' scripts all differ.
TEST_F(BoardSequence, ModelsSendTheSameExchangesExactlyWhenTheyShareAFamily)
{
    std::vector<std::vector<recorded_exchange>> sent;
    for (const board_model& m : board_models) {
        run_board(m.model_code, "", 0);
        sent.push_back(recorded_exchanges);
    }
    for (size_t i = 0; i < sent.size(); ++i)
        for (size_t j = i + 1; j < sent.size(); ++j)
            EXPECT_EQ(sent[i] == sent[j], board_models[i].family == board_models[j].family)
                << board_models[i].model_code << " against " << board_models[j].model_code;
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
