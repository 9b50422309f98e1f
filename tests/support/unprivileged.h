// SPDX-License-Identifier: MIT
// How the tests run a program as a user without root's rights: setpriv to
// nobody where the tests run as root; nothing where they already run unprivileged.
#pragma once

#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/run_program.h"

// The words that go before the program's own; empty when already unprivileged.
inline std::vector<std::string> unprivileged()
{
    if (geteuid() != 0)
        return {};
    return {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
}

// Why root cannot be dropped here, for a test's skip; empty where it can.
inline std::string cannot_drop_root()
{
    if (geteuid() != 0)
        return "";
    const program_result r = run_program("/bin/sh", {"-c", "command -v setpriv >/dev/null && id nobody >/dev/null"
                                                           " && getent group nogroup >/dev/null"});
    return r.status == 0 ? "" : "running as root without setpriv or the user nobody and group nogroup";
}
