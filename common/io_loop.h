// SPDX-License-Identifier: MIT
// The loops around a byte stream's system calls, written once: a write that
// the system takes in parts, interrupts or holds back, and a wait in short
// slices that looks at a stop request between them. The calls themselves
// are the caller's (a file, a POSIX socket, a Winsock one).
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>

// What one call of a partial write or read did.
enum class io_outcome { moved, interrupted, would_block, failed };

struct io_step {
    io_outcome outcome;
    size_t bytes = 0; // moved: how many, at least one
};

// Writes size bytes by calls of put (the bytes left and their count), calling
// it again at once after an interruption and, after one that would block,
// once wait_writable says so (without one, a blocked call fails). false when
// a call fails or the wait gives up.
bool write_fully(const char* bytes, size_t size, const std::function<io_step(const char*, size_t)>& put,
                 const std::function<bool()>& wait_writable = {});

// What one slice of a wait found.
enum class slice_outcome { ready, nothing, failed };

enum class wait_outcome { ready, timed_out, stopped, failed };

using io_clock = std::chrono::steady_clock;

// Waits slice by slice (each at most slice_ms, never past the deadline)
// until one is ready or fails, the last one before the deadline (none: no
// bound) finds nothing (timed_out), or stopped says so before a slice.
wait_outcome wait_in_slices(std::optional<io_clock::time_point> deadline, int slice_ms,
                            const std::function<bool()>& stopped,
                            const std::function<slice_outcome(int ms)>& slice);

// Milliseconds from now to deadline, 0 once it has passed.
int ms_until(io_clock::time_point deadline);
