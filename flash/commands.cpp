// SPDX-License-Identifier: MIT
#include "flash/commands.h"

#include "flash/flash_bus.h"

void flash_unlock()
{
    flash_write16(flash_base + unlock_address_1, command_unlock_1);
    flash_write16(flash_base + unlock_address_2, command_unlock_2);
}

void flash_command(uint16_t command)
{
    flash_unlock();
    flash_write16(flash_base + unlock_address_1, command);
}

void flash_reset()
{
    flash_write16(flash_base, command_read_reset);
}
