// SPDX-License-Identifier: MIT
#include "flash/data_polling.h"

poll_verdict judge_poll(program_poll& poll, uint16_t read)
{
    if (((read ^ poll.word) & status_dq7) == 0)
        return poll_verdict::programmed;
    // DQ5 may rise just as the program completes: one more read decides.
    if (poll.time_limit_seen)
        return poll_verdict::failed;
    if ((read & status_dq5) != 0) {
        poll.time_limit_seen = true;
        return poll_verdict::read_again;
    }
    if (++poll.busy_reads > poll_limit)
        return poll_verdict::failed;
    return poll_verdict::read_again;
}

int32_t polls_left(const program_poll& poll)
{
    return poll.time_limit_seen ? 1 : poll_limit + 1 - poll.busy_reads;
}
