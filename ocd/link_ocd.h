// SPDX-License-Identifier: MIT
// The debug exchange, the reset group and the TAP reset carried by OpenOCD:
// exchanges whose result nobody reads wait in a batch, and a data read or the
// end of a target operation sends the batch as one request. OpenOCD owns the
// cable; no port is touched.
#pragma once

#include <string>

// Where OpenOCD listens and which TAP is the box's (empty: the only one).
// Nothing is sent until the run first needs the link.
void ocd_link_configure(const std::string& host, int port, const std::string& tap);

// Sends what is waiting; used before a pause and before the process ends.
void ocd_link_flush();

// Exit statuses of a link that cannot start (OpenOCD absent, TAP or reset
// not as the box needs them).
constexpr int status_no_openocd = 1;

// What the run cost: requests to OpenOCD and debug exchanges in them.
long long ocd_link_requests();
long long ocd_link_exchanges();
