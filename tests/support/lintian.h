// SPDX-License-Identifier: MIT
// What lintian, Debian's package checker, says of a package, and what of it
// no package of the project may show.
#pragma once

#include <string>
#include <vector>

#include "tests/support/run_program.h"

struct lintian_verdict {
    std::string output;            // every line lintian printed
    std::vector<std::string> bad;  // the complaints among them; empty: clean
};

inline bool have_lintian()
{
    return run_program("/bin/sh", {"-c", "command -v lintian >/dev/null"}).status == 0;
}

// No error, no warning, and none of the notes on hardening, ldconfig calls,
// unneeded sections, the copyright file or the changelog.
inline lintian_verdict lintian_check(const std::string& deb)
{
    lintian_verdict v;
    v.output = run_program("/bin/sh", {"-c", "lintian --info --display-info --allow-root '" + deb + "' 2>&1"}).out;
    // An error or a warning is a line that starts with its letter, the first line too.
    const std::string lines = "\n" + v.output;
    for (const char* bad : {"\nE: ", "\nW: ", "hardening-", "ldconfig", "unneeded-section", "no-copyright",
                            "no-changelog"})
        if (lines.find(bad) != std::string::npos)
            v.bad.push_back(bad);
    return v;
}
