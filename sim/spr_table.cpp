// SPDX-License-Identifier: MIT
#include "sim/spr_table.h"

#include <array>

namespace sim {

namespace {

struct spr_def {
    uint16_t number;
    uint16_t slot;
    uint8_t access;
};

constexpr uint8_t rw = spr_readable | spr_writable;
constexpr uint8_t ro = spr_readable;
constexpr uint8_t wo = spr_writable;
constexpr uint8_t w1c = spr_readable | spr_writable | spr_clear_on_one;

// PowerPC 405 user manual, SPR summary.
constexpr spr_def defs[] = {
    {1, 1, rw},         // XER
    {8, 8, rw},         // LR
    {9, 9, rw},         // CTR
    {26, 26, rw},       // SRR0
    {27, 27, rw},       // SRR1
    {256, 256, rw},     // USPRG0
    {260, 276, ro},     // SPRG4-7, user read aliases
    {261, 277, ro},
    {262, 278, ro},
    {263, 279, ro},
    {268, 268, ro},     // TBL read
    {269, 269, ro},     // TBU read
    {272, 272, rw},     // SPRG0-7
    {273, 273, rw},
    {274, 274, rw},
    {275, 275, rw},
    {276, 276, rw},
    {277, 277, rw},
    {278, 278, rw},
    {279, 279, rw},
    {284, 268, wo},     // TBL write
    {285, 269, wo},     // TBU write
    {944, 944, rw},     // ZPR
    {945, 945, rw},     // PID
    {947, 947, rw},     // CCR0
    {948, 948, rw},     // IAC3
    {949, 949, rw},     // IAC4
    {950, 950, rw},     // DVC1
    {951, 951, rw},     // DVC2
    {953, 953, rw},     // SGR
    {954, 954, rw},     // DCWR
    {955, 955, rw},     // SLER
    {956, 956, rw},     // SU0R
    {957, 957, rw},     // DBCR1
    {979, 979, ro},     // ICDBDR
    {980, 980, rw},     // ESR
    {981, 981, rw},     // DEAR
    {982, 982, rw},     // EVPR
    {984, 984, w1c},    // TSR
    {986, 986, rw},     // TCR
    {987, 987, rw},     // PIT
    {990, 990, rw},     // SRR2
    {991, 991, rw},     // SRR3
    {1008, 1008, w1c},  // DBSR
    {1010, 1010, rw},   // DBCR0
    {1011, 1011, rw},   // DBDR
    {1012, 1012, rw},   // IAC1
    {1013, 1013, rw},   // IAC2
    {1014, 1014, rw},   // DAC1
    {1015, 1015, rw},   // DAC2
    {1018, 1018, rw},   // DCCR
    {1019, 1019, rw},   // ICCR
};

constexpr std::array<spr_entry, 1024> build()
{
    std::array<spr_entry, 1024> table{};
    for (const spr_def& d : defs)
        table[d.number] = spr_entry{d.slot, d.access};
    return table;
}

constexpr std::array<spr_entry, 1024> table = build();

} // namespace

const spr_entry& spr_lookup(uint32_t number)
{
    return table[number & 0x3FF];
}

} // namespace sim
