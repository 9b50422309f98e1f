// SPDX-License-Identifier: MIT
// The options of vexload-sim's virtual box, by name, and the words of --winio:
// read by vexload-sim's option parser, by the box's port seam, and by
// vexload-ocd, which refuses them (a real box has none of them). The
// program's own --help and --version are not the box's.
#pragma once

#include <string_view>

namespace box_option_name {
inline constexpr const char* chip = "--chip";
inline constexpr const char* chip_id = "--chip-id";
inline constexpr const char* fault = "--fault";
inline constexpr const char* flash = "--flash";
inline constexpr const char* vcd = "--vcd";
inline constexpr const char* vcd_from = "--vcd-from";
inline constexpr const char* vcd_until = "--vcd-until";
inline constexpr const char* port_log = "--port-log";
inline constexpr const char* port_ns = "--port-ns";
inline constexpr const char* max_sim_seconds = "--max-sim-seconds";
inline constexpr const char* sector_erase_ms = "--sector-erase-ms";
inline constexpr const char* word_program_us = "--word-program-us";
inline constexpr const char* tap_reset_releases_stop = "--tap-reset-releases-stop";
inline constexpr const char* winio = "--winio";
inline constexpr const char* strict_status = "--strict-status";
inline constexpr const char* serve = "--serve";
} // namespace box_option_name

// In the order of vexload-sim's help.
inline constexpr const char* box_option_names[] = {box_option_name::chip, box_option_name::chip_id,
    box_option_name::fault, box_option_name::flash, box_option_name::vcd, box_option_name::vcd_from,
    box_option_name::vcd_until, box_option_name::port_log, box_option_name::port_ns,
    box_option_name::max_sim_seconds, box_option_name::sector_erase_ms, box_option_name::word_program_us,
    box_option_name::tap_reset_releases_stop, box_option_name::winio, box_option_name::strict_status, box_option_name::serve};

constexpr bool is_box_option(std::string_view name)
{
    for (const char* b : box_option_names)
        if (name == b)
            return true;
    return false;
}

// The port-I/O library as the box's PC has it (--winio).
enum class winio_presence { present, absent, incomplete, init_fails };

struct winio_word {
    const char* word;
    winio_presence presence;
    const char* note; // after the word in vexload-sim's help
};

// present first: the default.
inline constexpr winio_word winio_words[] = {
    {"present", winio_presence::present, " (default)"},
    {"absent", winio_presence::absent, ""},
    {"incomplete", winio_presence::incomplete, " (no SetPhysLong)"},
    {"init-fails", winio_presence::init_fails, ""},
};

// The presence a --winio word names; false for any other word.
constexpr bool winio_presence_from(std::string_view word, winio_presence& presence)
{
    for (const winio_word& w : winio_words)
        if (word == w.word) {
            presence = w.presence;
            return true;
        }
    return false;
}
