// SPDX-License-Identifier: MIT
// The process's two waits on the outside world: a pause and the end of the
// process. Linked like the port: the real ones in vexload, simulated time and
// a summary in vexload-sim.
#pragma once

#include <cstdint>

// Pause the run for ms milliseconds.
void platform_sleep(uint32_t ms);

// End the process with status; handlers registered for process exit run.
[[noreturn]] void platform_exit(int status);
