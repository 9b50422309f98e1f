// SPDX-License-Identifier: MIT
#include "ocd/exchange_ocd.h"

#include <cstdio>

#include "link/debug_exchange.h"
#include "ocd/engine_options.h"
#include "platform/system.h"

ocd_link& run_link()
{
    static ocd_link link;
    return link;
}

ocd_link& open_link()
{
    ocd_link& link = run_link();
    if (link.session.tap.empty() && !link.session.ending)
        session_open(link.session);
    return link;
}

void ocd_link_configure(const engine_options& options)
{
    ocd_link& link = run_link();
    link.session.host = options.host;
    link.session.port = options.port;
    link.session.wanted_tap = options.tap;
    link.erase_poll_ms = options.erase_poll_ms;
    link.batches = !options.no_batches;
}

void ocd_link_flush()
{
    ocd_link& link = run_link();
    queue_flush(link.session, link.queue);
}

void ocd_link_close()
{
    ocd_link& link = run_link();
    queue_flush(link.session, link.queue);
    session_close(link.session);
}

// A write's result is of use to nobody: it waits in the queue and goes out
// with the next read, and its call gives 0. A read goes out at once, with
// what waits before it, and gives what it read.
uint32_t dbg_exchange(int instruction, uint32_t data, int final_bit)
{
    ocd_link& link = open_link();
    const exchange e{static_cast<uint8_t>(instruction), data, final_bit != 0, {}};
    if (e.final_bit) {
        queue_write(link.session, link.queue, e);
        return 0;
    }
    return queue_read(link.session, link.queue, e);
}

// A status bit, or a session that was lost (it has said why): either way
// one line names what went, then vexload's message and what -t means here.
void link_failure()
{
    ocd_link& link = run_link();
    link.queue = scan_queue{};
    if (!link.session.ending) {
        // An adapter or box that has gone shows in a scan that cannot run.
        session_request(link.session, "vexload_do " + link.session.tap + " 0 {{w 1}}");
        std::fprintf(stderr, "vexload-ocd: the box answered an exchange with its status bit set: it reset itself or "
                             "lost power, or its JTAG lines came loose\n");
    }
    link.session.ending = true;
    std::fputs(link_failure_message, stdout);
    std::fflush(stdout);
    std::fprintf(stderr, "vexload-ocd: -t does nothing here: the clock is OpenOCD's 'adapter speed'; lower it in "
                         "OpenOCD's configuration\n");
    platform_exit(-1);
}

// The reset line through OpenOCD; a driver that cannot reach its adapter says
// so only in OpenOCD's log, which the request reads.
void set_reset_lines(int level)
{
    ocd_link& link = open_link();
    queue_flush(link.session, link.queue);
    session_request(link.session, std::string("vexload_adapter {adapter ") + (level == 0 ? "assert" : "deassert") +
                                      " srst}");
    link.session.box_touched = true;
}

// OpenOCD has no TRST to pulse here (reset_config srst_only), so asserting it
// takes the TAP through Test-Logic-Reset by TMS; SRST keeps its level.
void tap_reset()
{
    ocd_link& link = open_link();
    queue_flush(link.session, link.queue);
    session_request(link.session, "vexload_adapter {adapter assert trst; adapter deassert trst}");
    // OpenOCD puts its TAP in bypass: the next exchange scans its instruction.
    ir_cache = ir_none;
    link.queue.last_is_write = false;
}
