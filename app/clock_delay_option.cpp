// SPDX-License-Identifier: MIT
#include <cstdint>

#include "app/clock_delay_option.h"

int32_t parse_clock_delay(const char* text)
{
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    // Accumulate towards the limit of the sign so that INT32_MIN is reachable.
    int64_t value = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > limit) {
            value = limit;
            while (p[1] >= '0' && p[1] <= '9')
                ++p;
        }
    }
    return static_cast<int32_t>(negative ? -value : value);
}
