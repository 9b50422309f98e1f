// SPDX-License-Identifier: MIT
// vexload-ocd's side of the debug exchange seam (link/debug_exchange.h): the
// exchanges, the reset group and the TAP reset of the run go through one
// session with OpenOCD and its scan queue. Nothing is sent until the run
// first needs the link.
#pragma once

#include <cstdint>
#include <string>

#include "ocd/scan_queue.h"
#include "ocd/session.h"

struct ocd_link {
    ocd_session session;
    scan_queue queue;
    uint32_t erase_poll_ms = 50; // pause between reads of a sector being erased
    bool batches = true;         // false: the long loops word by word in single requests
};

// The run's link: the seam's calls carry no context, so the run has this one.
ocd_link& run_link();

// The run's link, its session opened where it is not yet.
ocd_link& open_link();

// Where OpenOCD listens, which TAP is the box's (empty: the only one), how
// often a sector being erased is read, whether the long loops go in batches.
struct engine_options;
void ocd_link_configure(const engine_options& options);

// Sends what waits in the queue; before a pause.
void ocd_link_flush();

// The end of the run: what waits is sent (unless the run failed), the claim
// on OpenOCD given back, the connection closed.
void ocd_link_close();
