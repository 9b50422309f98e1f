// SPDX-License-Identifier: MIT
#include "tests/flash/bus_cycles.h"

#include <iomanip>

#include "sim/decode.h"
#include "sim/spr_table.h"
#include "sim/tap.h"
#include "tests/support/exchange_recorder.h"

namespace {

// Exchanges judged by what the box's debug unit and core make of them: the
// register an instruction selects, and the fields of the word executed.
bool is_data(int instruction)
{
    return sim::tap_register_of(static_cast<uint8_t>(instruction)) == sim::tap_register::debug_data;
}

bool is_execute(int instruction)
{
    return sim::tap_register_of(static_cast<uint8_t>(instruction)) == sim::tap_register::debug_execute;
}

bool spr_move(uint32_t word, uint32_t xo, uint32_t gpr)
{
    return sim::insn_primary(word) == sim::op_x_form && sim::insn_xo10(word) == xo &&
           sim::insn_split_number(word) == sim::spr_dbdr && sim::insn_rt(word) == gpr && !sim::insn_rc(word);
}

bool from_dbdr(uint32_t word, uint32_t gpr) { return spr_move(word, sim::xo_mfspr, gpr); }
bool to_dbdr(uint32_t word, uint32_t gpr) { return spr_move(word, sim::xo_mtspr, gpr); }

// A D-form access at (r1 + 0) with register rt.
bool access_at_r1(uint32_t word, uint32_t primary, uint32_t rt)
{
    return sim::insn_primary(word) == primary && sim::insn_rt(word) == rt && sim::insn_ra(word) == 1 &&
           sim::insn_d(word) == 0;
}

struct cursor {
    const std::vector<recorded_exchange>& list;
    size_t at;

    bool data_write(uint32_t& value)
    {
        if (at >= list.size() || !is_data(list[at].instruction) || list[at].final_bit != 1)
            return false;
        value = list[at++].data;
        return true;
    }
    bool data_read()
    {
        if (at >= list.size() || !is_data(list[at].instruction) || list[at].data != 0 || list[at].final_bit != 0)
            return false;
        ++at;
        return true;
    }
    template <typename rule> bool execute(rule matches)
    {
        if (at >= list.size() || !is_execute(list[at].instruction) || list[at].final_bit != 1 ||
            !matches(list[at].data))
            return false;
        ++at;
        return true;
    }
};

} // namespace

std::ostream& operator<<(std::ostream& out, const seen_cycle& cycle)
{
    const char* names[] = {"write16", "read16", "write32", "unknown"};
    return out << names[static_cast<int>(cycle.kind)] << "(0x" << std::hex << std::uppercase << cycle.address
               << ", 0x" << cycle.value << std::dec << ")";
}

std::vector<seen_cycle> recorded_cycles()
{
    std::vector<seen_cycle> cycles;
    cursor c{recorded_exchanges, 0};
    while (c.at < recorded_exchanges.size()) {
        const size_t start = c.at;
        uint32_t address = 0;
        uint32_t value = 0;
        if (c.data_write(address) && c.execute([](uint32_t w) { return from_dbdr(w, 1); })) {
            const size_t after_address = c.at;
            if (c.data_write(value) && c.execute([](uint32_t w) { return from_dbdr(w, 2); })) {
                if (c.execute([](uint32_t w) { return access_at_r1(w, sim::op_sth, 2); })) {
                    cycles.push_back(write16(address, value));
                    continue;
                }
                if (c.execute([](uint32_t w) { return access_at_r1(w, sim::op_stw, 2); })) {
                    cycles.push_back(write32(address, value));
                    continue;
                }
            }
            c.at = after_address;
            if (c.execute([](uint32_t w) { return access_at_r1(w, sim::op_lhz, 1); }) &&
                c.execute([](uint32_t w) { return to_dbdr(w, 1); }) && c.data_read()) {
                cycles.push_back(read16(address, 0));
                continue;
            }
        }
        cycles.push_back({seen_kind::unknown, static_cast<uint32_t>(start), 0});
        break;
    }
    return cycles;
}
