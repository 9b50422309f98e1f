// SPDX-License-Identifier: MIT
#include "flash/erase.h"

#include <cstdio>

#include "board/board_init.h"
#include "flash/commands.h"
#include "flash/flash_bus.h"
#include "flash/identify.h"
#include "platform/system.h"

namespace {

constexpr uint32_t poll_interval_ms = 1000;

// The slowest of the supported chips takes up to 15 s for one sector at its
// datasheet maximum (MX29LV640BT/DT; the others 3.5 s to 10 s). Twice that
// leaves room for ageing and temperature; a sector that is still busy then
// is protected or the chip is failing.
constexpr int32_t erase_wait_limit_s = 30;

constexpr uint16_t erased_word = 0xFFFF;

// The erased word reads 0xFFFF; while the chip erases it answers status bits.
void wait_for_erase(int32_t sector, uint32_t address)
{
    for (int32_t waited_s = 0; flash_read16(address) != erased_word; ++waited_s) {
        if (waited_s == erase_wait_limit_s) {
            std::printf(" failed.\nSector %d at 0x%08X is not erased after %d seconds.\n", sector, address,
                        erase_wait_limit_s);
            platform_exit(-1);
        }
        platform_sleep(poll_interval_ms);
    }
}

} // namespace

void flash_erase()
{
    std::printf("Erase flash(all)");
    std::fflush(stdout);
    flash_reset();
    for (int32_t k = 0; k < sector_count; ++k) {
        std::printf(".");
        std::fflush(stdout);
        flash_command(command_erase_setup);
        flash_unlock();
        flash_write16(sector_table[k], command_sector_erase);
        wait_for_erase(k, sector_table[k]);
    }
    std::printf(" done\n");
    std::fflush(stdout);
}
