// SPDX-License-Identifier: MIT
#include "sim/program/phases.h"

#include "sim/listed_names.h"

const phase_start phase_starts[run_phase_count] = {
    {"link tests", true, sim::milestone::first_dcr_write},
    {"board script", false, sim::milestone::first_dcr_write},
    {"identify", false, sim::milestone::first_flash_access},
    {"erase", false, sim::milestone::first_erase_command},
    {"download", false, sim::milestone::first_program},
    {"verify", false, sim::milestone::read_after_program},
};

namespace {

std::string word_of(const char* name)
{
    std::string word = name;
    for (char& c : word)
        if (c == ' ')
            c = '-';
    return word;
}

} // namespace

int phase_by_word(const std::string& word)
{
    for (int i = 0; i < run_phase_count; ++i)
        if (word == word_of(phase_starts[i].name))
            return i;
    return -1;
}

std::string phase_words()
{
    return sim::listed_names(phase_starts, [](const phase_start& p) { return word_of(p.name); });
}
