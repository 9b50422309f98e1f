// SPDX-License-Identifier: MIT
// The register scripts of the four board families, as one table walked by one
// interpreter. A column per script; the families differ only in the values
// stored into the register block at 0x40060000.
#include <array>
#include <cstddef>

#include "board/board_init.h"
#include "model_table.h"
#include "target/memory.h"
#include "target/registers.h"

namespace {

enum class step_kind : uint8_t { dcr, spr, msr, store };

using column_values = std::array<uint32_t, script_columns>;

struct script_step {
    step_kind kind;
    uint32_t where; // DCR or SPR number, or target address; unused for the MSR
    column_values value;
};

// One value for every family.
constexpr column_values all(uint32_t value)
{
    return {value, value, value, value};
}

// Per family, in the order of the model table's script columns.
static_assert(script_zorvan50 == 0 && script_pellox == 1 && script_pellox_max == 2 && script_quilby90s == 3 &&
                  script_columns == 4,
              "each() takes one value per script column of the model table, in its order");
constexpr column_values each(uint32_t z, uint32_t p, uint32_t x, uint32_t q)
{
    return {z, p, x, q};
}

constexpr step_kind dcr = step_kind::dcr;
constexpr step_kind spr = step_kind::spr;
constexpr step_kind msr = step_kind::msr;
constexpr step_kind store = step_kind::store;

constexpr uint32_t register_block = 0x40060000u;

constexpr script_step board_script[] = {
    // Bus controller and chip selects.
    {dcr, 0x30, all(0x10800000)},
    {dcr, 0x33, all(0x00400000)},
    {dcr, 0x35, all(0x00000000)},
    {dcr, 0x70, all(0x00000000)},
    {dcr, 0x71, all(0x00000000)},
    {dcr, 0x72, all(0x00000000)},
    {dcr, 0x73, all(0x00000000)},
    {dcr, 0x74, all(0x00000000)},
    {dcr, 0x75, all(0x00000000)},
    {dcr, 0x76, all(0x00000000)},
    {dcr, 0x77, all(0x00000000)},
    {dcr, 0x80, all(0xF878BFFE)},
    {dcr, 0x81, all(0xFF00BFFE)},
    {dcr, 0x82, all(0xFF00BFFE)},
    {dcr, 0x83, all(0xFF00BFFE)},
    {dcr, 0x84, all(0xFF00BFFF)},
    {dcr, 0x85, all(0xFF00BFFF)},
    {dcr, 0x86, all(0xFF00BFFF)},
    {dcr, 0x87, all(0xFF00BFFF)},
    // Memory-mapped register block: the only values that differ per family.
    // Offsets 0x1C to 0x2C are left alone.
    {store, register_block + 0x00, each(0x44000002, 0x44000002, 0x68400008, 0x00000000)},
    {store, register_block + 0x04, each(0xFFFEBFFF, 0xFFFEBFFF, 0x0B6E94EC, 0xCC7FBFFF)},
    {store, register_block + 0x08, each(0x0000000A, 0x0000000A, 0x001C500A, 0x0F505000)},
    {store, register_block + 0x0C, each(0x50005410, 0x50805410, 0x55559410, 0x50A55410)},
    {store, register_block + 0x10, each(0x0000000A, 0x0000000A, 0x005C000A, 0x00405000)},
    {store, register_block + 0x14, each(0x50005410, 0x50805410, 0x55559410, 0x50A55410)},
    {store, register_block + 0x18, each(0x00000000, 0x00000000, 0x00000000, 0xC0000000)},
    {store, register_block + 0x30, each(0x00000000, 0x00000000, 0x00000000, 0x00104000)},
    {store, register_block + 0x34, each(0x10000000, 0x10000000, 0x14450000, 0x10000000)},
    {store, register_block + 0x38, each(0x00000001, 0x00000001, 0x00000001, 0x05000000)},
    {store, register_block + 0x3C, all(0x00000000)},
    {store, register_block + 0x40, all(0x00000000)},
    {store, register_block + 0x44, all(0x00000000)},
    // Two DCR blocks, same pattern (base 0x1E0, then 0x1C0); B+5 is written
    // twice, the second time with bit 15 added, after B+8.
    {dcr, 0x1E1, all(0x00000000)},
    {dcr, 0x1E4, all(0x00004010)},
    {dcr, 0x1E7, all(0x02004010)},
    {dcr, 0x1E5, all(0x01F00000)},
    {dcr, 0x1E8, all(0x01F00000)},
    {dcr, 0x1E5, all(0x01F08000)},
    {dcr, 0x1C1, all(0x00000000)},
    {dcr, 0x1C4, all(0xA0004010)},
    {dcr, 0x1C7, all(0xA2004010)},
    {dcr, 0x1C5, all(0x01F00000)},
    {dcr, 0x1C8, all(0x01F00000)},
    {dcr, 0x1C5, all(0x01F08000)},
    // Core state.
    {spr, 0x3B9, all(0x00000000)},
    {spr, 0x3BA, all(0x00000000)},
    {spr, 0x3D4, all(0x00000000)},
    {spr, 0x3DA, all(0x00000000)},
    {msr, 0, all(0x00000000)},
    {spr, 0x3F0, all(0xFFFFFFFF)},
    {dcr, 0x91, all(0xFFFFFFFF)},
    {spr, 1, all(0x00000000)}, // XER
};

static_assert(std::size(board_script) == 52);

} // namespace

// Every step runs, in order, unverified; values of 0 are written like any other.
void run_board_script(int32_t column)
{
    for (const script_step& step : board_script) {
        const uint32_t value = step.value[column];
        switch (step.kind) {
        case step_kind::dcr:
            dcr_write(step.where, value);
            break;
        case step_kind::spr:
            spr_write(step.where, value);
            break;
        case step_kind::msr:
            msr_write(value);
            break;
        case step_kind::store:
            mem_write32(step.where, value);
            break;
        }
    }
}
