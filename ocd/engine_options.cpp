// SPDX-License-Identifier: MIT
#include "ocd/engine_options.h"

#include <charconv>
#include <cstdio>

#include "common/box_option_names.h"

namespace {

constexpr uint32_t erase_poll_most_ms = 1000; // vexload's own cadence
constexpr const char* tap_name_characters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-";

bool parse_poll(const std::string& text, engine_options& o)
{
    const char* first = text.data();
    const char* last = first + text.size();
    unsigned value = 0;
    const auto [end, code] = std::from_chars(first, last, value);
    if (first == last || code != std::errc() || end != last || value == 0 || value > erase_poll_most_ms)
        return false;
    o.erase_poll_ms = value;
    return true;
}

bool parse_address(const std::string& text, engine_options& o)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    const char* first = text.data() + colon + 1;
    const char* last = text.data() + text.size();
    unsigned value = 0;
    const auto [end, code] = std::from_chars(first, last, value);
    if (first == last || code != std::errc() || end != last || value == 0 || value > 65535)
        return false;
    o.host = text.substr(0, colon);
    if (o.host.size() > 2 && o.host.front() == '[' && o.host.back() == ']')
        o.host = o.host.substr(1, o.host.size() - 2);
    o.port = static_cast<int>(value);
    return true;
}

} // namespace

bool parse_engine_options(int argc, char* const argv[], engine_options& options, std::string& error)
{
    int i = 1;
    while (i < argc) {
        const std::string word = argv[i];
        if (word == "--") {
            ++i;
            break;
        }
        if (word == "--help") {
            options.help = true;
            ++i;
            continue;
        }
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        if (is_box_option(name)) {
            error = name + " is an option of vexload-sim's virtual box; vexload-ocd reaches a real box";
            return false;
        }
        // vexload's own options are single letters: a word of two dashes is ours.
        if (name.rfind("--", 0) != 0)
            break;
        if (name != "--openocd" && name != "--tap" && name != "--erase-poll-ms") {
            error = "unknown option '" + name + "'; vexload-ocd takes --openocd, --tap, --erase-poll-ms and "
                    "--help before vexload's options (see --help)";
            return false;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else {
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (name == "--openocd" && !parse_address(value, options)) {
            error = "--openocd wants HOST:PORT with a port from 1 to 65535, not '" + value + "'";
            return false;
        }
        if (name == "--erase-poll-ms" && !parse_poll(value, options)) {
            error = "--erase-poll-ms wants milliseconds from 1 to " + std::to_string(erase_poll_most_ms) +
                    ", not '" + value + "'";
            return false;
        }
        // A TAP's name goes into OpenOCD's Tcl: OpenOCD's names are words.
        if (name == "--tap") {
            if (value.empty() || value.find_first_not_of(tap_name_characters) != std::string::npos) {
                error = "--tap wants the name of a TAP as OpenOCD lists it (jtag names), not '" + value + "'";
                return false;
            }
            options.tap = value;
        }
        ++i;
    }
    options.tool_arguments = i;
    return true;
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
        "Engine options (they end at \"--\" or at the first word that is not one):\n"
        "  --openocd HOST:PORT     OpenOCD's Tcl server (default 127.0.0.1:6666)\n"
        "  --tap NAME              the box's TAP as OpenOCD names it (default: the\n"
        "                          only TAP OpenOCD has)\n"
        "  --erase-poll-ms N       pause between reads of a sector being erased,\n"
        "                          1 to 1000 ms (default 50; vexload waits 1000)\n"
        "  --help                  this text\n"
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
