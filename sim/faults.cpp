// SPDX-License-Identifier: MIT
#include "sim/faults.h"

#include <charconv>
#include <limits>

#include "sim/flash_chips.h"

namespace sim {

fault_set faults;

namespace {

constexpr int64_t any = std::numeric_limits<int64_t>::max();

struct fault_name {
    const char* name;
    bool fault_set::*flag;     // a fault without a number
    int64_t fault_set::*count; // a fault with a number
    const char* argument;      // the number's name in help and messages
    int64_t least, most;       // numbers that can fire
};

constexpr fault_name fault_names[] = {
    {"tdo-stuck-0", &fault_set::tdo_stuck_0, nullptr, nullptr, 0, 0},
    {"tdo-stuck-1", &fault_set::tdo_stuck_1, nullptr, nullptr, 0, 0},
    {"cable-pull", nullptr, &fault_set::cable_pull, "N", 0, any},
    // A filter of one write lets every half period through.
    {"slow-target", nullptr, &fault_set::slow_target, "N", 2, any},
    {"no-execute", &fault_set::no_execute, nullptr, nullptr, 0, 0},
    {"bad-adder", &fault_set::bad_adder, nullptr, nullptr, 0, 0},
    {"never-halted", &fault_set::never_halted, nullptr, nullptr, 0, 0},
    {"status-error", nullptr, &fault_set::status_error, "N", 0, any},
    {"box-reset", nullptr, &fault_set::box_reset, "N", 0, any},
    {"no-chip", &fault_set::no_chip, nullptr, nullptr, 0, 0},
    {"erase-stuck", nullptr, &fault_set::erase_stuck, "K", 0, flash_sector_count - 1},
    {"program-fail", nullptr, &fault_set::program_fail, "I", 0, any},
    {"slow-program", nullptr, &fault_set::slow_program, "I", 0, any},
    {"verify-mismatch", nullptr, &fault_set::verify_mismatch, "I", 0, any},
};

} // namespace

std::string fault_list()
{
    std::string text;
    for (const fault_name& f : fault_names) {
        if (!text.empty())
            text += ", ";
        text += f.name;
        if (f.count != nullptr) {
            text += '=';
            text += f.argument;
        }
    }
    return text;
}

bool fault_apply(const std::string& text, std::string& error)
{
    const size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    for (const fault_name& f : fault_names) {
        if (name != f.name)
            continue;
        if (f.flag != nullptr) {
            if (equals != std::string::npos) {
                error = "fault " + name + " takes no number";
                return false;
            }
            faults.*f.flag = true;
            // One level on a stuck line.
            if (f.flag == &fault_set::tdo_stuck_0)
                faults.tdo_stuck_1 = false;
            if (f.flag == &fault_set::tdo_stuck_1)
                faults.tdo_stuck_0 = false;
            return true;
        }
        if (equals == std::string::npos) {
            error = "fault " + name + " needs a number: " + name + '=';
            error += f.argument;
            return false;
        }
        const char* first = text.data() + equals + 1;
        const char* last = text.data() + text.size();
        int64_t value = 0;
        const auto [end, code] = std::from_chars(first, last, value);
        if (first == last || code != std::errc() || end != last || value < f.least || value > f.most) {
            error = "fault " + name + ": '" + std::string(first, last) + "' is not a number from " +
                    std::to_string(f.least) + " to " + std::to_string(f.most);
            return false;
        }
        faults.*f.count = value;
        return true;
    }
    error = "unknown fault '" + name + "'; known faults: " + fault_list();
    return false;
}

} // namespace sim
