// SPDX-License-Identifier: MIT
#include "ocd/run_host.h"

#include <csignal>

#include <unistd.h>

#include "ocd/tcl_client.h"

namespace {

// The run stops before its next request to OpenOCD; a second signal does not
// wait for the answer to the one in flight.
extern "C" void stop_requested(int signal)
{
    int none = 0;
    tcl_stop_signal.compare_exchange_strong(none, signal);
    tcl_stop_count.fetch_add(1);
}

} // namespace

void catch_stop_requests()
{
    struct sigaction action {};
    action.sa_handler = stop_requested;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM})
        sigaction(signal, &action, nullptr);
}

long run_process_id()
{
    return static_cast<long>(getpid());
}

std::string run_host_name()
{
    char name[256] = "?";
    gethostname(name, sizeof name - 1);
    return name;
}
