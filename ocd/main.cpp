// SPDX-License-Identifier: MIT
// vexload-ocd: vexload's run sequence, its debug exchanges carried by OpenOCD.
#include <cstdio>
#include <string>
#include <vector>

#include "app/run_sequence.h"
#include "ocd/engine_options.h"
#include "ocd/exchange_ocd.h"
#include "ocd/run_host.h"
#include "platform/system.h"

namespace {

constexpr int status_bad_option = 2;

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
    catch_stop_requests();

    std::vector<char*> tool_argv{argv[0]};
    for (int i = options.tool_arguments; i < argc; ++i)
        tool_argv.push_back(argv[i]);
    tool_argv.push_back(nullptr);
    platform_exit(run_sequence(static_cast<int32_t>(tool_argv.size() - 1), tool_argv.data()));
}
