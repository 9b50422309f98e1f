// SPDX-License-Identifier: MIT
// vexload-ocd's reading of OpenOCD's answers: arbitrary server bytes through
// every answer parser. An answer is taken only when it is whole and
// well-formed; whatever is refused is quoted in a bounded, printable line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ocd/answers.h"

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    scan_answer scans;
    std::string error;
    if (parse_scan_answer(text, scans, error)) {
        check(error.empty());
        check(scans.kind != scan_answer::repeated || (scans.reads > 0 && scans.data));
        check(!scans.read || *scans.read >> 33 == 0);
    } else {
        check(!error.empty() && error.size() < 200);
        for (char c : error)
            check(c >= 0x20 && c < 0x7f);
    }

    claim_answer claim;
    if (parse_claim_answer(text, claim))
        check(claim.taken == text.empty() && claim.age_ms >= 0);

    setup_answer setup;
    if (parse_setup_answer(text, setup)) {
        const int length = ir_length_of(setup, setup.taps.empty() ? std::string("box.cpu") : setup.taps[0]);
        check(length >= -1 && length <= 64);
    }

    if (const std::optional<std::string> failure = failure_of(text))
        check(failure->find('\n') == std::string::npos && failure->size() < text.size());
    check(quoted(text).size() <= 60);
    return 0;
}
