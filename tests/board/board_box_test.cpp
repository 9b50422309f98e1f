// SPDX-License-Identifier: MIT
// board_init on the virtual box: the core's event log must be the family's
// script in order, and the DCRs, SPRs, MSR and register block must hold it.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "board/board_init.h"
#include "sim/box.h"
#include "sim/bus.h"
#include "sim/core.h"
#include "sim/events.h"
#include "target/link_test.h"
#include "target/registers.h"
#include "tests/board/expected_script.h"
#include "tests/target/box_session.h"

// Found by the test framework through the parameter's namespace.
void PrintTo(const expected_model& m, std::ostream* out)
{
    *out << "model_code " << m.model_code;
}

namespace {

sim::event_kind event_kind_of(expected_kind kind)
{
    switch (kind) {
    case expected_kind::dcr:
        return sim::event_kind::dcr_write;
    case expected_kind::spr:
        return sim::event_kind::spr_write;
    case expected_kind::msr:
        return sim::event_kind::msr_write;
    case expected_kind::store:
        break;
    }
    return sim::event_kind::store;
}

struct logged {
    sim::event_kind kind;
    uint32_t width;
    uint32_t number;
    uint32_t value;
    bool operator==(const logged&) const = default;
};

std::ostream& operator<<(std::ostream& out, const logged& e)
{
    return out << static_cast<int>(e.kind) << "/" << e.width << " " << std::hex << e.number << "=" << e.value;
}

class BoardOnBox : public testing::TestWithParam<expected_model> {
protected:
    void TearDown() override
    {
        sim::events_record(false);
        sim::events_clear();
    }
};

TEST_P(BoardOnBox, ScriptReachesTheCoreInOrderAndStays)
{
    const expected_model& m = GetParam();
    start_box_session();
    ASSERT_EQ(target_test(), 0);
    const uint32_t old_r0 = 0x600DF00D;
    gpr_write(0, old_r0);

    flash_base = 0;
    image_offset = 0;
    board_message = m.message;
    sim::events_clear();
    sim::events_record(true);
    const uint64_t exchanges = sim::box_statistics().exchanges;
    testing::internal::CaptureStdout();
    ASSERT_EQ(board_init(m.model_code), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), m.message);
    sim::events_record(false);

    EXPECT_EQ(sim::box_statistics().exchanges - exchanges, 338u);
    EXPECT_EQ(flash_base, 0xFF800000u);
    EXPECT_EQ(image_offset, 0x7D0000u);

    std::vector<logged> expected_log;
    std::map<uint32_t, uint32_t> last_dcr;
    std::map<uint32_t, uint32_t> last_store;
    for (const expected_step& s : expected_script) {
        const uint32_t value = s.value[m.script];
        expected_log.push_back({event_kind_of(s.kind), 4, s.where, value});
        if (s.kind == expected_kind::dcr)
            last_dcr[s.where] = value;
        if (s.kind == expected_kind::store)
            last_store[s.where] = value;
    }
    // mtspr 1011 is the data path of every register read, not a script step.
    std::vector<logged> log;
    for (const sim::event& e : sim::events())
        if (!(e.kind == sim::event_kind::spr_write && e.number == 1011))
            log.push_back({e.kind, e.width, e.number, e.value});
    EXPECT_EQ(log, expected_log);

    for (const auto& [dcr, value] : last_dcr)
        EXPECT_EQ(sim::core_dcr(dcr), value) << "DCR " << std::hex << dcr;
    for (unsigned n = 0; n < 0x48 / 4; ++n) {
        const uint32_t address = sim::register_block_base + 4 * n;
        const uint32_t expected = last_store.contains(address) ? last_store[address] : 0;
        EXPECT_EQ(sim::bus_register(n), expected) << "register block +" << std::hex << 4 * n;
    }
    for (const uint32_t spr : {0x3B9u, 0x3BAu, 0x3D4u, 0x3DAu})
        EXPECT_EQ(sim::core_spr(spr), 0u) << "SPR " << std::hex << spr;
    EXPECT_EQ(sim::core_msr(), 0u);

    EXPECT_EQ(sim::core_gpr(0), old_r0);
    EXPECT_EQ(sim::core_gpr(1), 0x40060044u);
    EXPECT_EQ(sim::core_gpr(2), 0u);
}

INSTANTIATE_TEST_SUITE_P(EveryModel, BoardOnBox, testing::ValuesIn(expected_models),
    [](const testing::TestParamInfo<expected_model>& info) { return "code_" + std::to_string(info.param.model_code); });

} // namespace
