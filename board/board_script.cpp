// SPDX-License-Identifier: MIT
// The register scripts of the board families: the build's register table
// (board/register_table.txt), a column per family, walked by one interpreter.
#include "board/board_init.h"
#include "register_table.h"
#include "target/memory.h"
#include "target/registers.h"

// Every step runs, in order, unverified; values of 0 are written like any other.
void run_board_script(int32_t column)
{
    for (const script_step& step : register_table) {
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
