// SPDX-License-Identifier: MIT
#include "sim/flash.h"

#include <algorithm>
#include <memory>

#include "sim/clock.h"
#include "sim/events.h"
#include "sim/faults.h"
#include "sim/flash_chips.h"
#include "sim/flash_commands.h"

namespace sim {

namespace {

constexpr int slow_program_polls = 101;
constexpr uint16_t weak_bit = 0x0001;

struct chip_state {
    flash_chip chip{};
    flash_state state = flash_state::read;
    bool in_bypass = false;

    // The embedded operation under way.
    uint64_t done_at = 0;
    uint64_t limit_at = 0;
    bool never_done = false;
    uint16_t program_data = 0;
    uint32_t program_word = 0;
    uint64_t program_index = 0;
    int slow_polls_left = -1;
    bool dq6 = false;
    bool dq2 = false;
    bool erase_sector[flash_sector_count] = {};
    unsigned erase_count = 0;
    uint64_t window_end = 0;

    uint64_t programs = 0;
    uint32_t weak_word = 0;
    bool weak_ready = false;
};

chip_state chip;
uint64_t sector_erase_ns = flash_sector_erase_ns;
uint64_t program_ns = flash_program_ns;
std::unique_ptr<uint16_t[]> array;
const char* chip_name = flash_default_chip;
bool chip_chosen = false;

uint16_t* words()
{
    if (!array) {
        array = std::make_unique<uint16_t[]>(flash_chip_words);
        std::fill_n(array.get(), flash_chip_words, uint16_t{0xFFFF});
    }
    return array.get();
}

void ensure_chip()
{
    if (!chip_chosen) {
        chip.chip = *flash_chip_by_name(chip_name);
        chip_chosen = true;
    }
}

void enter_read()
{
    chip.state = flash_state::read;
    chip.in_bypass = false;
    flash_activity_note(flash_activity::read_mode);
    if (chip.weak_ready) {
        words()[chip.weak_word] ^= weak_bit;
        chip.weak_ready = false;
    }
}

void go_home()
{
    if (chip.in_bypass)
        chip.state = flash_state::bypass;
    else
        enter_read();
}

void complete()
{
    if (chip.state == flash_state::programming) {
        if (fault_hits(faults.verify_mismatch, chip.program_index)) {
            chip.weak_word = chip.program_word;
            chip.weak_ready = true;
        }
    } else {
        uint16_t* a = words();
        for (unsigned s = 0; s < flash_sector_count; ++s)
            if (chip.erase_sector[s])
                std::fill_n(a + flash_sector_start(chip.chip.sectors, s),
                            flash_sector_words(chip.chip.sectors, s), uint16_t{0xFFFF});
    }
    go_home();
}

void start_program(uint32_t w, uint16_t data)
{
    uint16_t& cell = words()[w];
    const uint64_t index = chip.programs++;
    const uint64_t now = now_ns();
    flash_activity_note(flash_activity::program_started);
    const bool fail = fault_hits(faults.program_fail, index);
    chip.program_word = w;
    chip.program_data = data;
    chip.program_index = index;
    chip.never_done = fail || (data & ~cell) != 0; // a 0 cannot become 1 by programming
    chip.slow_polls_left = fault_hits(faults.slow_program, index) ? slow_program_polls : -1;
    chip.dq6 = false;
    chip.done_at = now + program_ns;
    chip.limit_at = now + flash_program_limit_ns;
    cell &= fail ? static_cast<uint16_t>(data & ~0x0080) : data;
}

void start_erase(uint64_t t0)
{
    chip.state = flash_state::erasing;
    chip.slow_polls_left = -1;
    chip.dq6 = false;
    chip.dq2 = false;
    chip.done_at = t0 + chip.erase_count * sector_erase_ns;
    chip.limit_at = t0 + chip.erase_count * flash_sector_erase_limit_ns;
    const int64_t stuck = faults.erase_stuck;
    chip.never_done = stuck >= 0 && stuck < static_cast<int64_t>(flash_sector_count) && chip.erase_sector[stuck];
    if (chip.never_done)
        std::fill_n(words() + flash_sector_start(chip.chip.sectors, static_cast<unsigned>(stuck)),
                    flash_sector_words(chip.chip.sectors, static_cast<unsigned>(stuck)), uint16_t{0});
}

void open_erase_window(uint32_t w)
{
    flash_activity_note(flash_activity::erase_started);
    std::fill(std::begin(chip.erase_sector), std::end(chip.erase_sector), false);
    chip.erase_sector[flash_sector_of(chip.chip.sectors, w)] = true;
    chip.erase_count = 1;
    chip.window_end = now_ns() + flash_erase_window_ns;
    chip.dq6 = false;
    chip.dq2 = false;
}

void add_erase_sector(uint32_t w)
{
    bool& s = chip.erase_sector[flash_sector_of(chip.chip.sectors, w)];
    if (!s) {
        s = true;
        ++chip.erase_count;
    }
    chip.window_end = now_ns() + flash_erase_window_ns;
}

void start_chip_erase()
{
    flash_activity_note(flash_activity::erase_started);
    std::fill(std::begin(chip.erase_sector), std::end(chip.erase_sector), true);
    chip.erase_count = flash_sector_count;
    start_erase(now_ns());
}

// Brings a running operation up to the present on the simulated clock.
void update()
{
    if (chip.state != flash_state::erase_window && chip.state != flash_state::erasing
        && chip.state != flash_state::programming)
        return;
    const uint64_t now = now_ns();
    if (chip.state == flash_state::erase_window) {
        if (now < chip.window_end)
            return;
        start_erase(chip.window_end);
    }
    if (chip.slow_polls_left >= 0)
        return;
    if (!chip.never_done) {
        if (now >= chip.done_at)
            complete();
    } else if (now >= chip.limit_at) {
        chip.state = chip.state == flash_state::programming ? flash_state::program_timed_out
                                                             : flash_state::erase_timed_out;
    }
}

uint16_t status(uint32_t w)
{
    const bool programming = chip.state == flash_state::programming || chip.state == flash_state::program_timed_out;
    uint16_t s = 0;
    if (programming)
        s |= static_cast<uint16_t>(~chip.program_data & 0x80);
    chip.dq6 = !chip.dq6;
    if (chip.dq6)
        s |= 0x40;
    if (chip.state == flash_state::program_timed_out || chip.state == flash_state::erase_timed_out)
        s |= 0x20;
    if (chip.state == flash_state::erasing || chip.state == flash_state::erase_timed_out)
        s |= 0x08;
    if (!programming && chip.erase_sector[flash_sector_of(chip.chip.sectors, w)]) {
        chip.dq2 = !chip.dq2;
        if (chip.dq2)
            s |= 0x04;
    }
    return s;
}

void reset_state()
{
    const flash_chip c = chip.chip;
    const uint64_t programs = chip.programs;
    chip = chip_state{};
    chip.chip = c;
    chip.programs = programs;
}

} // namespace

bool flash_select_chip(const std::string& name)
{
    const flash_chip* c = flash_chip_by_name(name.c_str());
    if (!c)
        return false;
    chip.chip = *c;
    chip_name = c->name;
    chip_chosen = true;
    reset_state();
    return true;
}

void flash_set_chip_id(uint16_t manufacturer, uint16_t device, uint16_t word_0e, uint16_t word_0f)
{
    chip.chip = custom_chip(manufacturer, device, word_0e, word_0f);
    chip_name = "custom";
    chip_chosen = true;
    reset_state();
}

const char* flash_chip_name()
{
    return chip_name;
}

uint16_t* flash_array()
{
    ensure_chip();
    update(); // an operation that has finished by now shows in the array
    return words();
}

void flash_power_on()
{
    ensure_chip();
    reset_state();
    chip.programs = 0;
    flash_activity_note(flash_activity::reset);
}

uint64_t flash_programs_started()
{
    return chip.programs;
}

uint16_t flash_bus_read(uint32_t address)
{
    if (faults.no_chip)
        return 0xFFFF;
    ensure_chip();
    const uint32_t w = ((address - flash_window_base) >> 1) & (flash_chip_words - 1);
    update();
    switch (chip.state) {
    case flash_state::programming:
        // A slow word counts the polls of its own address: data polling reads
        // where the word is programmed.
        if (chip.slow_polls_left == 0 && w == chip.program_word) {
            complete();
            return words()[w];
        }
        if (chip.slow_polls_left > 0 && w == chip.program_word)
            --chip.slow_polls_left;
        return status(w);
    case flash_state::erase_window:
    case flash_state::erasing:
    case flash_state::erase_timed_out:
    case flash_state::program_timed_out:
        return status(w);
    case flash_state::autoselect:
        return autoselect_word(chip.chip, w);
    default:
        return words()[w];
    }
}

void flash_bus_write(uint32_t address, uint16_t value)
{
    if (faults.no_chip)
        return;
    ensure_chip();
    const uint32_t w = ((address - flash_window_base) >> 1) & (flash_chip_words - 1);
    update();
    const flash_transition t = flash_command(chip.state, w, value);
    switch (t.action) {
    case flash_action::none:
        break;
    case flash_action::enter_bypass:
        chip.in_bypass = true;
        break;
    case flash_action::program:
        start_program(w, value);
        break;
    case flash_action::chip_erase:
        start_chip_erase();
        break;
    case flash_action::sector_erase:
        open_erase_window(w);
        break;
    case flash_action::add_sector:
        add_erase_sector(w);
        break;
    }
    if (t.next == flash_state::home)
        go_home();
    else if (t.next == flash_state::read)
        enter_read();
    else
        chip.state = t.next;
}

void flash_set_times(uint64_t sector_erase, uint64_t program)
{
    sector_erase_ns = sector_erase;
    program_ns = program;
}

} // namespace sim
