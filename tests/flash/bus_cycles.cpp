// SPDX-License-Identifier: MIT
#include "tests/flash/bus_cycles.h"

#include <iomanip>

#include "tests/support/exchange_recorder.h"

namespace {

constexpr int data_instruction = 0x5C;
constexpr int execute_instruction = 0x3C;
constexpr uint32_t mfspr_r1 = 0x7C33FAA6;
constexpr uint32_t mfspr_r2 = 0x7C53FAA6;
constexpr uint32_t mtspr_r1 = 0x7C33FBA6;
constexpr uint32_t sth = 0xB0410000;
constexpr uint32_t stw = 0x90410000;
constexpr uint32_t lhz = 0xA0210000;

struct cursor {
    const std::vector<recorded_exchange>& list;
    size_t at;

    bool data_write(uint32_t& value)
    {
        if (at >= list.size() || list[at].instruction != data_instruction || list[at].final_bit != 1)
            return false;
        value = list[at++].data;
        return true;
    }
    bool data_read()
    {
        if (at >= list.size() || list[at] != recorded_exchange{data_instruction, 0, 0})
            return false;
        ++at;
        return true;
    }
    bool execute(uint32_t word)
    {
        if (at >= list.size() || list[at] != recorded_exchange{execute_instruction, word, 1})
            return false;
        ++at;
        return true;
    }
};

} // namespace

std::ostream& operator<<(std::ostream& out, const bus_cycle& cycle)
{
    const char* names[] = {"write16", "read16", "write32", "unknown"};
    return out << names[static_cast<int>(cycle.kind)] << "(0x" << std::hex << std::uppercase << cycle.address
               << ", 0x" << cycle.value << std::dec << ")";
}

std::vector<bus_cycle> recorded_cycles()
{
    std::vector<bus_cycle> cycles;
    cursor c{recorded_exchanges, 0};
    while (c.at < recorded_exchanges.size()) {
        const size_t start = c.at;
        uint32_t address = 0;
        uint32_t value = 0;
        if (c.data_write(address) && c.execute(mfspr_r1)) {
            const size_t after_address = c.at;
            if (c.data_write(value) && c.execute(mfspr_r2)) {
                if (c.execute(sth)) {
                    cycles.push_back(write16(address, value));
                    continue;
                }
                if (c.execute(stw)) {
                    cycles.push_back(write32(address, value));
                    continue;
                }
            }
            c.at = after_address;
            if (c.execute(lhz) && c.execute(mtspr_r1) && c.data_read()) {
                cycles.push_back(read16(address, 0));
                continue;
            }
        }
        cycles.push_back({cycle_kind::unknown, static_cast<uint32_t>(start), 0});
        break;
    }
    return cycles;
}
