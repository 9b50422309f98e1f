// SPDX-License-Identifier: MIT
// How the tests that run vexload as a technician would drop root: setpriv to
// the user nobody, so that neither ioperm nor a device open to root only is
// ever granted to the program.
#pragma once

#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/run_program.h"

// The words that start a program as nobody; empty when already unprivileged.
inline std::vector<std::string> unprivileged()
{
    if (geteuid() != 0)
        return {};
    return {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
}

// Why root cannot be dropped here; empty when it can.
inline std::string cannot_drop_root()
{
    if (geteuid() != 0)
        return "";
    const program_result r = run_program("/bin/sh", {"-c", "command -v setpriv >/dev/null && id nobody >/dev/null"
                                                           " && getent group nogroup >/dev/null"});
    return r.status == 0 ? "" : "running as root without setpriv or the user nobody and group nogroup";
}
