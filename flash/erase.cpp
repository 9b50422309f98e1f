// SPDX-License-Identifier: MIT
#include "flash/erase.h"

#include <cstdio>

#include "board/board_init.h"
#include "flash/commands.h"
#include "flash/flash_cycles.h"
#include "flash/identify.h"
#include "flash/word_loops.h"
#include "platform/system.h"

void erase_timed_out(int32_t sector, uint32_t address)
{
    std::printf(" failed.\nSector %d at 0x%08X is not erased after %d seconds.\n", sector, address,
                erase_wait_limit_s);
    platform_exit(-1);
}

void flash_erase()
{
    erase_sectors("all", 0, sector_count);
}

void erase_sectors(const char* what, int32_t first, int32_t end)
{
    std::printf("Erase flash(%s)", what);
    std::fflush(stdout);
    flash_reset();
    for (int32_t k = first; k < end; ++k) {
        std::printf(".");
        std::fflush(stdout);
        for (const bus_cycle& command : sector_erase_cycles(sector_table[k]))
            run_bus_cycle(command);
        erase_wait(k, sector_table[k]);
    }
    std::printf(" done\n");
    std::fflush(stdout);
}
