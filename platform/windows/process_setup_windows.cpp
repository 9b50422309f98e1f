// Process start-up on Windows, before main: console output byte for byte as
// on every other platform, and no error dialog that would stop an
// unattended run.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

[[gnu::constructor]] void process_setup()
{
    // Text mode would turn every "\n" into "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // A fault ends the process with its status instead of waiting on a
    // dialog or a debugger.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

} // namespace
