// SPDX-License-Identifier: MIT
// vexload-ocd: vexload's run sequence, its debug exchanges carried by OpenOCD.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/run_sequence.h"
#include "ocd/engine_options.h"
#include "ocd/exchange_ocd.h"
#include "ocd/tcl_client.h"
#include "platform/system.h"

namespace {

constexpr int status_bad_option = 2;

// The run stops before its next request to OpenOCD; a second signal does not
// wait for the answer to the one in flight.
extern "C" void stop_requested(int signal)
{
    int none = 0;
    tcl_stop_signal.compare_exchange_strong(none, signal);
    tcl_stop_count.fetch_add(1);
}

void catch_stops()
{
    struct sigaction action {};
    action.sa_handler = stop_requested;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM})
        sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char* argv[])
{
    engine_options options;
    std::string error;
    if (!parse_engine_options(argc, argv, options, error)) {
        std::fprintf(stderr, "vexload-ocd: %s\n", error.c_str());
        return status_bad_option;
    }
    if (options.help) {
        print_engine_help();
        return 0;
    }
    if (options.version) {
        std::printf("vexload-ocd %s\n", VEXLOAD_VERSION);
        return 0;
    }
    ocd_link_configure(options);
    catch_stops();

    std::vector<char*> tool_argv{argv[0]};
    for (int i = options.tool_arguments; i < argc; ++i)
        tool_argv.push_back(argv[i]);
    tool_argv.push_back(nullptr);
    platform_exit(run_sequence(static_cast<int32_t>(tool_argv.size() - 1), tool_argv.data()));
}
