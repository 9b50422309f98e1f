// SPDX-License-Identifier: MIT
#include "ocd/read_words.h"

#include <algorithm>
#include <vector>

#include "flash/flash_bus.h"
#include "ocd/walking_cycles.h"
#include "target/instruction_words.h"

namespace {

constexpr uint32_t address_gpr = 1;
constexpr uint32_t first_loaded_gpr = 2;
// lmw r2, 0(r1) loads r2 to r31: thirty words, sixty flash words, each
// register then moved out in two exchanges; addi steps r1 over them.
constexpr uint32_t words_per_load = 32 - first_loaded_gpr;
constexpr uint32_t lmw_primary = 46;
constexpr uint32_t addi_primary = 14;
// Loads a request makes: an answer of some 150 KB.
constexpr int loads_per_request = 512;

// The register moves of one load multiple, and the step of r1 past its words.
std::vector<exchange> load_multiple()
{
    std::vector<exchange> list;
    list.push_back(execute_exchange(d_form(lmw_primary, first_loaded_gpr, address_gpr, 0)));
    list.push_back(execute_exchange(d_form(addi_primary, address_gpr, address_gpr, 4 * words_per_load)));
    for (uint32_t r = first_loaded_gpr; r < 32; ++r) {
        list.push_back(execute_exchange(mtspr_to_ddr(r)));
        list.push_back(data_read_exchange());
    }
    return list;
}

// A word read holds the flash word at the lower address in its high half.
uint16_t* spread(const std::vector<uint32_t>& values, uint16_t* out)
{
    for (uint32_t v : values) {
        *out++ = static_cast<uint16_t>(v >> 16);
        *out++ = static_cast<uint16_t>(v);
    }
    return out;
}

} // namespace

void ocd_read_words(ocd_link& link, uint32_t address, uint32_t count, uint16_t* out)
{
    if (!link.batches) {
        // vexload's own read, one request a word.
        for (uint32_t i = 0; i < count; ++i)
            out[i] = flash_read16(address + 2 * i);
        return;
    }
    // A word before the first aligned pair, and one after the last, alone.
    if (count > 0 && (address & 3) != 0) {
        *out++ = flash_read16(address);
        address += 2;
        --count;
    }
    const std::vector<exchange> multiple = load_multiple();
    while (count >= 2 * words_per_load) {
        const int loads = static_cast<int>(std::min<uint32_t>(count / (2 * words_per_load), loads_per_request));
        walker r1;
        out = spread(queue_collect(link.session, link.queue, seat(r1, address), multiple, loads), out);
        address += 4 * words_per_load * loads;
        count -= 2 * words_per_load * loads;
    }
    if (count >= 2) {
        // The pairs left, one word load each, r1 four bytes on every time.
        const uint32_t pairs = count / 2;
        walker r1;
        const exchange_list first = seat(r1, address - 4);
        const exchange_list pair = walk(r1, {cycle_kind::load32, address, 0, {}});
        out = spread(queue_collect(link.session, link.queue, first, std::vector<exchange>(pair.begin(), pair.end()),
                                   static_cast<int>(pairs)),
                     out);
        address += 4 * pairs;
        count -= 2 * pairs;
    }
    if (count == 1)
        *out = flash_read16(address);
}
