// SPDX-License-Identifier: MIT
#include "ocd/engine_options.h"

#include <cstdio>

#include "common/box_option_names.h"
#include "common/long_options.h"

namespace {

constexpr uint32_t erase_poll_most_ms = 1000; // vexload's own cadence
constexpr const char* tap_name_characters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-";

// HOST:PORT, an IPv6 host in brackets.
bool read_address(const std::string& text, engine_options& o)
{
    const size_t colon = text.rfind(':');
    uint64_t port = 0;
    if (colon == std::string::npos || colon == 0 || !read_whole(text.substr(colon + 1), 1, 65535, port))
        return false;
    o.host = text.substr(0, colon);
    if (o.host.size() > 2 && o.host.front() == '[' && o.host.back() == ']')
        o.host = o.host.substr(1, o.host.size() - 2);
    o.port = static_cast<int>(port);
    return true;
}

option_table engine_table(engine_options& o)
{
    option_table table{"vexload-ocd", {}};
    table.rows.push_back({"--openocd", "HOST:PORT", "OpenOCD's Tcl server (default 127.0.0.1:6666)",
        {"HOST:PORT with a port from 1 to 65535", [&o](const std::string& v) { return read_address(v, o); }}});
    // A TAP's name goes into OpenOCD's Tcl: OpenOCD's names are words.
    table.rows.push_back({"--tap", "NAME", "the box's TAP as OpenOCD names it (default: the only TAP OpenOCD has)",
        {"the name of a TAP as OpenOCD lists it (jtag names)", [&o](const std::string& v) {
             if (v.find_first_not_of(tap_name_characters) != std::string::npos)
                 return false;
             o.tap = v;
             return true;
         }}});
    table.rows.push_back({"--erase-poll-ms", "N",
        "pause between reads of a sector being erased, 1 to 1000 ms (default 50; vexload waits 1000)",
        whole_number("a whole number of milliseconds", 1, erase_poll_most_ms,
            [&o](uint64_t ms) { o.erase_poll_ms = static_cast<uint32_t>(ms); })});
    table.rows.push_back({"--no-batches", nullptr,
        "download, verify and read word by word, each word in requests of its own, with vexload's own algorithm: "
        "exact and slow, for an OpenOCD or adapter on which the batches misbehave",
        flag(o.no_batches)});
    add_version_and_help(table, o.version, o.help);
    return table;
}

} // namespace

bool parse_engine_options(int argc, char* const argv[], engine_options& options, std::string& error)
{
    options_read read;
    const bool ok = read_long_options(argc, argv, engine_table(options), read, error);
    if (is_box_option(read.unknown))
        error = read.unknown + " is an option of vexload-sim's virtual box; vexload-ocd reaches a real box";
    options.tool_arguments = read.tool_arguments;
    return ok;
}

void print_engine_help()
{
    std::printf(
        "Usage: vexload-ocd [engine options] [--] [vexload options]\n"
        "Runs vexload with its debug exchanges carried by a running OpenOCD, through\n"
        "OpenOCD's Tcl server, so that any JTAG adapter OpenOCD drives reaches the box.\n"
        "The download and the read-back go to OpenOCD in batches that its SVF player\n"
        "queues and checks; one run at a time holds an OpenOCD.\n"
        "\n"
        "Engine options (they end at \"--\" or at the first word not starting with \"--\"):\n");
    engine_options unused;
    print_option_help(engine_table(unused));
    std::printf(
        "\n"
        "OpenOCD's configuration declares the box's TAP with a 7-bit instruction\n"
        "register (jtag newtap box cpu -irlen 7 -expected-id 0) and its SRST line\n"
        "(reset_config srst_only srst_nogate). man vexload-ocd has adapters and wiring.\n"
        "\n"
        "Exit status:\n"
        "  0    the run ended as vexload's do, its verdict printed (Complete !,\n"
        "       Programming failed !, a refused model or chip)\n"
        "  1    OpenOCD not reached, not its Tcl port, held by another run, its TAP\n"
        "       or reset not the box's, or its adapter gone: the box was not touched\n"
        "  2    a bad engine option\n"
        "  4    a build with placeholder images: stopped before the erase\n"
        "  130  stopped by Ctrl-C (SIGINT); 143: by SIGTERM (a line says what the\n"
        "       flash holds)\n"
        "  255  the link failed (OpenOCD, its adapter or the box went away) or a\n"
        "       word would not program\n");
}
