// SPDX-License-Identifier: MIT
#include "sim/faults.h"

#include <charconv>
#include <limits>

namespace sim {

fault_set faults;

namespace {

struct fault_name {
    const char* name;
    bool fault_set::*flag;    // a fault without a number
    int64_t fault_set::*count; // a fault with "=N"
};

constexpr fault_name fault_names[] = {
    {"tdo-stuck-0", &fault_set::tdo_stuck_0, nullptr},
    {"tdo-stuck-1", &fault_set::tdo_stuck_1, nullptr},
    {"cable-pull", nullptr, &fault_set::cable_pull},
    {"slow-target", nullptr, &fault_set::slow_target},
    {"no-execute", &fault_set::no_execute, nullptr},
    {"bad-adder", &fault_set::bad_adder, nullptr},
    {"never-halted", &fault_set::never_halted, nullptr},
    {"status-error", nullptr, &fault_set::status_error},
    {"box-reset", nullptr, &fault_set::box_reset},
    {"no-chip", &fault_set::no_chip, nullptr},
    {"erase-stuck", nullptr, &fault_set::erase_stuck},
    {"program-fail", nullptr, &fault_set::program_fail},
    {"slow-program", nullptr, &fault_set::slow_program},
    {"verify-mismatch", nullptr, &fault_set::verify_mismatch},
};

std::string known_names()
{
    std::string text;
    for (const fault_name& f : fault_names) {
        if (!text.empty())
            text += ", ";
        text += f.name;
        if (f.count != nullptr)
            text += "=N";
    }
    return text;
}

} // namespace

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
            error = "fault " + name + " needs a number: " + name + "=N";
            return false;
        }
        const char* first = text.data() + equals + 1;
        const char* last = text.data() + text.size();
        int64_t value = 0;
        const auto [end, code] = std::from_chars(first, last, value);
        if (first == last || code != std::errc() || end != last || value < 0) {
            error = "fault " + name + ": '" + std::string(first, last) + "' is not a number from 0 to " +
                    std::to_string(std::numeric_limits<int64_t>::max());
            return false;
        }
        faults.*f.count = value;
        return true;
    }
    error = "unknown fault '" + name + "'; known faults: " + known_names();
    return false;
}

} // namespace sim
