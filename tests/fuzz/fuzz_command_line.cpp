// SPDX-License-Identifier: MIT
// The tool's command line up to the first port access: arbitrary argument
// words (the input split at NUL bytes) go to run_sequence. The port seam below
// jumps back here at the first access, so nothing ever reaches a port.
//
// What must hold: run_sequence returns 0 on every line that stops before the
// target; a line that reaches the port has a usable model (a board message and
// one of the eleven model codes); the argument words are never written to.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/run_sequence.h"
#include "board/board_init.h"
#include "flash/identify.h"
#include "link/cable.h"
#include "link/debug_exchange.h"
#include "link/port.h"
#include "platform/system.h"
#include "tests/fuzz/fuzz_words.h"

namespace {

std::jmp_buf at_port;
int port_accesses = 0;

[[noreturn]] void stop_at_port()
{
    ++port_accesses;
    std::longjmp(at_port, 1);
}

// Every process-wide variable of the tool, back to its value at start.
void reset_run_state()
{
    option_index = 0;
    option_cursor = nullptr;
    option_argument = nullptr;
    clock_delay = 2;
    port_shadow = 0;
    ir_cache = 0;
    ignore_link_status = 1;
    board_message = nullptr;
    flash_base = 0;
    image_offset = 0;
    download_address = 0;
    sector_count = -1;
    run_model_code = -1;
}

bool accepted_model_code(int32_t code)
{
    for (const int32_t accepted : {0, 1, 3, 4, 5, 6, 10000, 10001, 10003, 10004, 10005})
        if (code == accepted)
            return true;
    return false;
}

} // namespace

// The seams of the tool: no port (so no library), no pause, no exit.
void port_write(uint8_t)
{
    stop_at_port();
}

uint8_t port_read()
{
    stop_at_port();
}

void platform_sleep(uint32_t) {}

void platform_exit(int status)
{
    std::fprintf(stderr, "fuzz_command_line: the process ended (%d) before any port access\n", status);
    std::abort();
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Usage text for every input would drown the fuzzer's own output.
    if (std::freopen("/dev/null", "w", stdout) == nullptr)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_words line("vexload", data, size);
    const int32_t argc = line.argc;
    char** const argv_data = line.argv.data();

    reset_run_state();
    const int before = port_accesses;
    static volatile int32_t status;
    status = -1;
    if (setjmp(at_port) == 0)
        status = run_sequence(argc, argv_data);

    if (port_accesses != before) {
        if (board_message == nullptr || !accepted_model_code(run_model_code))
            std::abort(); // the target is touched only for a usable model
    } else if (status != 0) {
        std::abort();
    }
    for (size_t i = 0; i < line.words.size(); ++i)
        if (line.argv[i] != line.buffers[i].data() ||
            std::memcmp(line.argv[i], line.words[i].c_str(), line.words[i].size() + 1) != 0)
            std::abort();
    reset_run_state();
    return 0;
}
