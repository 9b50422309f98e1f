// SPDX-License-Identifier: MIT
// The board script as the board's documentation lists it, step by step, with
// the value of each family: zorvan50, pellox, pellox-max, quilby90s.
#pragma once

#include <array>
#include <cstdint>

enum class expected_kind { dcr, spr, msr, store };

enum family : int { family_zorvan50, family_pellox, family_pellox_max, family_quilby90s };

struct expected_step {
    expected_kind kind;
    uint32_t where;
    std::array<uint32_t, 4> value;
};

inline constexpr expected_kind e_dcr = expected_kind::dcr;
inline constexpr expected_kind e_spr = expected_kind::spr;
inline constexpr expected_kind e_msr = expected_kind::msr;
inline constexpr expected_kind e_store = expected_kind::store;

#define SAME(v) {v, v, v, v}

inline constexpr expected_step expected_script[52] = {
    {e_dcr, 0x30, SAME(0x10800000)},
    {e_dcr, 0x33, SAME(0x00400000)},
    {e_dcr, 0x35, SAME(0)},
    {e_dcr, 0x70, SAME(0)},
    {e_dcr, 0x71, SAME(0)},
    {e_dcr, 0x72, SAME(0)},
    {e_dcr, 0x73, SAME(0)},
    {e_dcr, 0x74, SAME(0)},
    {e_dcr, 0x75, SAME(0)},
    {e_dcr, 0x76, SAME(0)},
    {e_dcr, 0x77, SAME(0)},
    {e_dcr, 0x80, SAME(0xF878BFFE)},
    {e_dcr, 0x81, SAME(0xFF00BFFE)},
    {e_dcr, 0x82, SAME(0xFF00BFFE)},
    {e_dcr, 0x83, SAME(0xFF00BFFE)},
    {e_dcr, 0x84, SAME(0xFF00BFFF)},
    {e_dcr, 0x85, SAME(0xFF00BFFF)},
    {e_dcr, 0x86, SAME(0xFF00BFFF)},
    {e_dcr, 0x87, SAME(0xFF00BFFF)},
    {e_store, 0x40060000, {0x44000002, 0x44000002, 0x68400008, 0x00000000}},
    {e_store, 0x40060004, {0xFFFEBFFF, 0xFFFEBFFF, 0x0B6E94EC, 0xCC7FBFFF}},
    {e_store, 0x40060008, {0x0000000A, 0x0000000A, 0x001C500A, 0x0F505000}},
    {e_store, 0x4006000C, {0x50005410, 0x50805410, 0x55559410, 0x50A55410}},
    {e_store, 0x40060010, {0x0000000A, 0x0000000A, 0x005C000A, 0x00405000}},
    {e_store, 0x40060014, {0x50005410, 0x50805410, 0x55559410, 0x50A55410}},
    {e_store, 0x40060018, {0x00000000, 0x00000000, 0x00000000, 0xC0000000}},
    {e_store, 0x40060030, {0x00000000, 0x00000000, 0x00000000, 0x00104000}},
    {e_store, 0x40060034, {0x10000000, 0x10000000, 0x14450000, 0x10000000}},
    {e_store, 0x40060038, {0x00000001, 0x00000001, 0x00000001, 0x05000000}},
    {e_store, 0x4006003C, SAME(0)},
    {e_store, 0x40060040, SAME(0)},
    {e_store, 0x40060044, SAME(0)},
    {e_dcr, 0x1E1, SAME(0)},
    {e_dcr, 0x1E4, SAME(0x00004010)},
    {e_dcr, 0x1E7, SAME(0x02004010)},
    {e_dcr, 0x1E5, SAME(0x01F00000)},
    {e_dcr, 0x1E8, SAME(0x01F00000)},
    {e_dcr, 0x1E5, SAME(0x01F08000)},
    {e_dcr, 0x1C1, SAME(0)},
    {e_dcr, 0x1C4, SAME(0xA0004010)},
    {e_dcr, 0x1C7, SAME(0xA2004010)},
    {e_dcr, 0x1C5, SAME(0x01F00000)},
    {e_dcr, 0x1C8, SAME(0x01F00000)},
    {e_dcr, 0x1C5, SAME(0x01F08000)},
    {e_spr, 0x3B9, SAME(0)},
    {e_spr, 0x3BA, SAME(0)},
    {e_spr, 0x3D4, SAME(0)},
    {e_spr, 0x3DA, SAME(0)},
    {e_msr, 0, SAME(0)},
    {e_spr, 0x3F0, SAME(0xFFFFFFFF)},
    {e_dcr, 0x91, SAME(0xFFFFFFFF)},
    {e_spr, 1, SAME(0)},
};

#undef SAME

// The family whose script a model_code runs.
struct expected_model {
    int32_t model_code;
    family script;
    const char* message;
};

inline constexpr expected_model expected_models[] = {
    {0, family_zorvan50, "zorvan50s(PAL) board initialize\n"},
    {1, family_zorvan50, "zorvan50c(PAL) board initialize\n"},
    {3, family_quilby90s, "quilby90s(PAL) board initialize\n"},
    {4, family_pellox, "pellox-s(PAL) board initialize\n"},
    {5, family_pellox, "pellox-c(PAL) board initialize\n"},
    {6, family_pellox_max, "pellox-max board initialize\n"},
    {10000, family_zorvan50, "zorvan50s(NTSC) board initialize\n"},
    {10001, family_zorvan50, "zorvan50c(NTSC) board initialize\n"},
    {10003, family_quilby90s, "quilby90s(NTSC) board initialize\n"},
    {10004, family_pellox, "pellox-s(NTSC) board initialize\n"},
    {10005, family_pellox, "pellox-c(NTSC) board initialize\n"},
};
