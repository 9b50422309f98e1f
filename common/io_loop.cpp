// SPDX-License-Identifier: MIT
#include "common/io_loop.h"

bool write_fully(const char* bytes, size_t size, const std::function<io_step(const char*, size_t)>& put,
                 const std::function<bool()>& wait_writable)
{
    while (size > 0) {
        const io_step step = put(bytes, size);
        switch (step.outcome) {
        case io_outcome::moved:
            bytes += step.bytes;
            size -= step.bytes;
            break;
        case io_outcome::interrupted:
            break;
        case io_outcome::would_block:
            if (!wait_writable || !wait_writable())
                return false;
            break;
        case io_outcome::failed:
            return false;
        }
    }
    return true;
}

int ms_until(io_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - io_clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

wait_outcome wait_in_slices(std::optional<io_clock::time_point> deadline, int slice_ms,
                            const std::function<bool()>& stopped,
                            const std::function<slice_outcome(int ms)>& slice)
{
    for (;;) {
        if (stopped && stopped())
            return wait_outcome::stopped;
        // The last slice ends at the deadline; one that starts after it still
        // looks (a process held still past its deadline takes what came).
        const int left = deadline ? ms_until(*deadline) : slice_ms + 1;
        const bool last = left <= slice_ms;
        switch (slice(last ? left : slice_ms)) {
        case slice_outcome::ready:
            return wait_outcome::ready;
        case slice_outcome::failed:
            return wait_outcome::failed;
        case slice_outcome::nothing:
            if (last)
                return wait_outcome::timed_out;
            break;
        }
    }
}
