// SPDX-License-Identifier: MIT
// Process start-up on Windows, before main: console output byte for byte as
// on every other platform, and no error dialog that would stop an
// unattended run.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

// The C runtime's own filter (floating-point and signal() faults).
LPTOP_LEVEL_EXCEPTION_FILTER runtime_filter = nullptr;

// A fault ends the process with its exception code as exit status, with one
// line on standard error, never with a debugger.
LONG WINAPI end_on_fault(EXCEPTION_POINTERS* info)
{
    if (runtime_filter != nullptr) {
        const LONG verdict = runtime_filter(info);
        if (verdict != EXCEPTION_CONTINUE_SEARCH)
            return verdict;
    }
    std::fprintf(stderr, "Fatal exception 0x%08lX at %p\n", info->ExceptionRecord->ExceptionCode,
                 info->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    return EXCEPTION_EXECUTE_HANDLER;
}

[[gnu::constructor]] void process_setup()
{
    // Text mode would turn every "\n" into "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // No error dialog, no just-in-time debugger: an unattended run must end.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    runtime_filter = SetUnhandledExceptionFilter(end_on_fault);
}

} // namespace
