// SPDX-License-Identifier: MIT
// -t is read like atoi, saturating where atoi's overflow would be undefined.
#include <gtest/gtest.h>

#include <cstdint>

#include "app/clock_delay_option.h"

namespace {

TEST(ClockDelayOption, ReadsLikeAtoiAndSaturates)
{
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"5", 5}, {"  7", 7}, {"\t\n\v\f\r 9", 9}, {"+3", 3}, {"-4", -4}, {"12abc", 12},
        {"x", 0}, {"", 0}, {"-", 0}, {"+-3", 0}, {" - 3", 0}, {"0x10", 0}, {"007", 7},
        {"2147483647", INT32_MAX}, {"2147483648", INT32_MAX}, {"99999999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN}, {"-2147483649", INT32_MIN}, {"-99999999999999999999999", INT32_MIN},
        {"2147483648x5", INT32_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse_clock_delay(c.text), c.value) << "'" << c.text << "'";
}

} // namespace
