// SPDX-License-Identifier: MIT
// Whether Wine delivers a console control event to a program started as the
// Wine OpenOCD tests start vexload-ocd.exe: says "ready", then ends with
// status 0 as soon as a handler sees an event, or 1 after 20 s without one.
#include <windows.h>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<bool> seen{false};

BOOL WINAPI event_seen(DWORD)
{
    seen = true;
    return TRUE;
}

} // namespace

int main()
{
    SetConsoleCtrlHandler(event_seen, TRUE);
    std::puts("ready");
    std::fflush(stdout);
    for (int i = 0; i < 200 && !seen; ++i)
        Sleep(100);
    return seen ? 0 : 1;
}
