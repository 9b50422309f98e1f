// SPDX-License-Identifier: MIT
#include "ocd/run_host.h"

#include <windows.h>

#include <csignal>

#include "ocd/tcl_client.h"

namespace {

// Runs in a thread of its own that the system starts for the event. The run
// stops before its next request to OpenOCD, as after SIGINT; a second
// request does not wait for the answer to the one in flight. A console that
// closes ends the process as soon as this returns (and a few seconds later
// in any case): that stop does not wait for the answer either, and this
// thread waits for the run's own end.
BOOL WINAPI console_event(DWORD event)
{
    int none = 0;
    tcl_stop_signal.compare_exchange_strong(none, SIGINT);
    const bool closing = event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
    tcl_stop_count.fetch_add(closing ? 2 : 1);
    if (closing)
        Sleep(INFINITE);
    return TRUE;
}

} // namespace

void catch_stop_requests()
{
    SetConsoleCtrlHandler(console_event, TRUE);
}

long run_process_id()
{
    return static_cast<long>(GetCurrentProcessId());
}

std::string run_host_name()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "?";
    DWORD length = sizeof name;
    if (!GetComputerNameA(name, &length))
        return "?";
    return std::string(name, length);
}
