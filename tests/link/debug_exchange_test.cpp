// SPDX-License-Identifier: MIT
// Debug exchanges on the recording port: clock counts, instruction caching,
// the bits sent on TDI, the result and the status bit.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "link/cable.h"
#include "link/debug_exchange.h"
#include "tests/support/exit_status.h"
#include "tests/link/recorded_link.h"

namespace {

class DebugExchange : public RecordedLink {
protected:
    void SetUp() override
    {
        RecordedLink::SetUp();
        clock_delay = 2;
        ir_cache = 0;
        ignore_link_status = 0;
    }
    void TearDown() override
    {
        RecordedLink::TearDown();
        ignore_link_status = 1;
    }
    // Clocks of the last exchange, from the status reads (one per clock).
    uint64_t clocks_since(uint64_t reads_before) const { return recording_port.reads - reads_before; }
};

TEST_F(DebugExchange, InstructionScanOnlyWhenTheInstructionChanges)
{
    const struct {
        const char* name;
        uint8_t cache_before;
        std::vector<int> instructions;
        std::vector<uint64_t> clocks;
        uint8_t cache_after;
    } cases[] = {
        {"same data instruction twice", 0, {dbg_data, dbg_data}, {51, 39}, dbg_data},
        {"already selected", dbg_data, {dbg_data}, {39}, dbg_data},
        {"alternating data and execute", 0, {dbg_data, dbg_execute, dbg_data, dbg_execute}, {51, 51, 51, 51}, dbg_execute},
        {"control is never cached", 0, {dbg_control, dbg_control}, {51, 51}, 0xFF},
        {"the exchange after control scans", dbg_data, {dbg_control, dbg_data, dbg_data}, {51, 51, 39}, dbg_data},
        {"none never matches", 0xFF, {dbg_execute, dbg_execute}, {51, 39}, dbg_execute},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        recording_port_reset();
        ir_cache = c.cache_before;
        for (size_t i = 0; i < c.instructions.size(); ++i) {
            const uint64_t reads = recording_port.reads;
            const size_t writes = recording_port.writes.size();
            dbg_exchange(c.instructions[i], 0, 1);
            EXPECT_EQ(clocks_since(reads), c.clocks[i]) << "exchange " << i;
            EXPECT_EQ(recording_port.writes.size() - writes, 2 * 2 * c.clocks[i]) << "exchange " << i;
        }
        EXPECT_EQ(ir_cache, c.cache_after);
    }
}

TEST_F(DebugExchange, PortCostFollowsClockDelay)
{
    clock_delay = 3;
    dbg_exchange(dbg_data, 0, 1);
    EXPECT_EQ(recording_port.writes.size(), 102u * 3);
    dbg_exchange(dbg_data, 0, 1);
    EXPECT_EQ(recording_port.writes.size(), 102u * 3 + 78u * 3);
    EXPECT_EQ(recording_port.reads, 51u + 39u);
}

// What only the bits sent show (the box's TAP judges the TMS walk): the
// instruction bit 0 first in clocks 6 to 12, TMS high on its last bit; the
// word bit 0 first from clock 17 (5 without the instruction), then the final
// bit as 0 or 1 with TMS high; TCK rests high.
TEST_F(DebugExchange, TdiCarriesTheInstructionTheWordAndTheFinalBit)
{
    using e = tap_edge;
    const struct {
        const char* name;
        int instruction;
        uint32_t data;
        int final_bit;
        std::vector<tap_edge> instruction_bits; // none: the instruction is already selected
        tap_edge final_edge;
    } cases[] = {
        {"data word 1, final bit 1", dbg_data, 0x00000001, 1,
            {e{0, 0}, {0, 0}, {0, 1}, {0, 1}, {0, 1}, {0, 0}, {1, 1}}, {1, 1}},
        {"read form", dbg_data, 0, 0, {}, {1, 0}},
        {"instruction word", dbg_execute, 0x7C13FAA6, 1,
            {e{0, 0}, {0, 0}, {0, 1}, {0, 1}, {0, 1}, {0, 1}, {1, 0}}, {1, 1}},
        {"final bit taken as boolean", dbg_control, 0xB8000000, 4,
            {e{0, 0}, {0, 0}, {0, 1}, {0, 1}, {0, 0}, {0, 1}, {1, 0}}, {1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        recording_port_reset();
        ir_cache = c.instruction_bits.empty() ? static_cast<uint8_t>(c.instruction) : 0;
        dbg_exchange(c.instruction, c.data, c.final_bit);
        const std::vector<tap_edge> edges = recorded_edges();
        const size_t first_data_clock = c.instruction_bits.empty() ? 4 : 16;
        ASSERT_EQ(edges.size(), first_data_clock + 35);
        if (!c.instruction_bits.empty()) {
            EXPECT_EQ(std::vector<tap_edge>(edges.begin() + 5, edges.begin() + 12), c.instruction_bits);
        }
        uint32_t word = 0;
        for (int bit = 0; bit < 32; ++bit)
            word |= static_cast<uint32_t>(edges[first_data_clock + bit].tdi) << bit;
        EXPECT_EQ(word, c.data);
        EXPECT_EQ(edges[first_data_clock + 32], c.final_edge);
        EXPECT_EQ(recording_port.writes.back() & 0x04, 0x04);
    }
}

TEST_F(DebugExchange, ResultComesFromTheShiftClocks)
{
    const uint32_t word = 0xA5C30F01;
    const struct {
        const char* name;
        bool scans_ir;
    } cases[] = {{"with instruction scan", true}, {"without", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        recording_port_reset();
        ir_cache = c.scans_ir ? 0 : dbg_data;
        // TDO 1 everywhere outside the data bits: those clocks are ignored.
        std::vector<int> tdo(c.scans_ir ? 16 : 4, 1);
        for (int bit = 0; bit < 32; ++bit)
            tdo.push_back((word >> bit) & 1);
        tdo.insert(tdo.end(), {0, 1, 1});
        recording_port_script_tdo(tdo);
        EXPECT_EQ(dbg_exchange(dbg_data, 0, 0), word);
        EXPECT_TRUE(recording_port.script.empty());
    }
}

TEST_F(DebugExchange, StuckTdo)
{
    // Stuck at 0: result 0, status 0, never fatal.
    recording_port.status_default = status_tdo_0;
    EXPECT_EQ(dbg_exchange(dbg_data, 0, 0), 0u);
    // Stuck at 1 while the status is ignored: the result as captured, all 51 clocks.
    ignore_link_status = 1;
    recording_port.status_default = status_tdo_1;
    const uint64_t reads = recording_port.reads;
    EXPECT_EQ(dbg_exchange(dbg_execute, 0, 1), 0xFFFFFFFFu);
    EXPECT_EQ(clocks_since(reads), 51u);
    EXPECT_EQ(ir_cache, dbg_execute);
}

// Shows how far the exchange got when the process ended.
void report_clocks_at_exit()
{
    std::fprintf(stderr, "clocks %llu\n", static_cast<unsigned long long>(recording_port.reads));
}

using DebugExchangeDeathTest = DebugExchange;

TEST_F(DebugExchangeDeathTest, SetStatusBitEndsTheRunAtExit1Dr)
{
    const char* const message =
        "\nCommunication with box FAILED\\. Retry after enlarge time out value with -t option\nclocks 49\n";
    // Status set on clock 49 only; the run ends there, without Update-DR.
    std::vector<int> tdo(48, 0);
    tdo.push_back(1);
    EXPECT_EXIT(
        {
            std::fflush(stdout);
            dup2(STDERR_FILENO, STDOUT_FILENO);
            recording_port_script_tdo(tdo);
            std::atexit(report_clocks_at_exit);
            dbg_exchange(dbg_data, 0x12345678, 1);
        },
        ::testing::ExitedWithCode(exit_status_minus_one), message);
}

TEST_F(DebugExchangeDeathTest, LinkFailureExitsWithMinusOne)
{
    EXPECT_EXIT(
        {
            std::fflush(stdout);
            dup2(STDERR_FILENO, STDOUT_FILENO);
            link_failure();
        },
        ::testing::ExitedWithCode(exit_status_minus_one), "^\nCommunication with box FAILED\\. Retry after enlarge time out value with -t option\n$");
}

} // namespace
