// SPDX-License-Identifier: MIT
#include "sim/bus.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "sim/events.h"
#include "sim/flash.h"

namespace sim {

namespace {

struct release_sdram {
    void operator()(uint8_t* bytes) const { std::free(bytes); }
};

// SDRAM is allocated at its first store: most runs never touch it. calloc
// gets zeroed pages from the system without writing them. A power-on clears
// only the stretch stored to since the last one and keeps the array: a
// sanitizer's allocator poisons and unpoisons all 32 MiB at each allocation
// and release, which made every power-on of a fuzz input cost milliseconds.
std::unique_ptr<uint8_t[], release_sdram> sdram;
uint32_t written_low = sdram_size; // the stretch stored to since power-on
uint32_t written_high = 0;
uint32_t registers[register_block_size / 4];

uint8_t* sdram_bytes()
{
    if (!sdram) {
        sdram.reset(static_cast<uint8_t*>(std::calloc(sdram_size, 1)));
        if (!sdram)
            std::abort();
    }
    return sdram.get();
}

bool in_sdram(uint32_t address, unsigned width)
{
    return address < sdram_size && sdram_size - address >= width;
}

// Word accesses only: the controller's registers have no byte lanes of their own.
bool in_register_block(uint32_t address, unsigned width)
{
    return width == 4 && (address & 3) == 0 && address - register_block_base < register_block_size;
}

// The window runs to 0xFFFFFFFF; an access wrapping past it is not the window's.
// The 16-bit device needs halfword-aligned cycles.
bool in_flash_window(uint32_t address, unsigned width)
{
    return address >= flash_window_base && (address & 1) == 0 && 0xFFFFFFFFu - address >= width - 1;
}

void flash_write_cycle(uint32_t address, uint16_t value)
{
    event_note(event_kind::flash_cycle, address, value, 2);
    flash_bus_write(address, value);
}

} // namespace

void bus_power_on()
{
    if (written_high > written_low)
        std::fill(sdram.get() + written_low, sdram.get() + written_high, uint8_t{0});
    written_low = sdram_size;
    written_high = 0;
    std::fill(std::begin(registers), std::end(registers), 0u);
}

bool bus_store(uint32_t address, uint32_t value, unsigned width)
{
    if (in_flash_window(address, width)) {
        // Identification starts with the first cycle of any kind in the window.
        milestone_note(milestone::first_flash_access);
        // A 32-bit store on the 16-bit bus is two cycles, the upper half at the lower address first.
        if (width == 4) {
            flash_write_cycle(address, static_cast<uint16_t>(value >> 16));
            flash_write_cycle(address + 2, static_cast<uint16_t>(value));
        } else {
            flash_write_cycle(address, static_cast<uint16_t>(value));
        }
        return true;
    }
    if (in_sdram(address, width)) {
        uint8_t* p = sdram_bytes() + address;
        for (unsigned i = 0; i < width; ++i)
            p[i] = static_cast<uint8_t>(value >> (8 * (width - 1 - i)));
        written_low = std::min(written_low, address);
        written_high = std::max(written_high, address + width);
        return true;
    }
    if (in_register_block(address, width)) {
        registers[(address - register_block_base) / 4] = value;
        return true;
    }
    return false;
}

bool bus_load(uint32_t address, unsigned width, uint32_t& value)
{
    if (in_flash_window(address, width)) {
        milestone_note(milestone::first_flash_access);
        if (width == 4)
            value = (uint32_t{flash_bus_read(address)} << 16) | flash_bus_read(address + 2);
        else
            value = flash_bus_read(address);
        return true;
    }
    if (in_sdram(address, width)) {
        // Never stored to: zero, as the array would read.
        uint32_t v = 0;
        for (unsigned i = 0; sdram && i < width; ++i)
            v = (v << 8) | sdram[address + i];
        value = v;
        return true;
    }
    if (in_register_block(address, width)) {
        value = registers[(address - register_block_base) / 4];
        return true;
    }
    return false;
}

uint32_t bus_register(unsigned n)
{
    return n < register_block_size / 4 ? registers[n] : 0;
}

} // namespace sim
