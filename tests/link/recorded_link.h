// SPDX-License-Identifier: MIT
// The link's tests on the recording port: an empty log, the shadow of the
// data register cleared, and the clock delay given back afterwards.
#pragma once

#include <gtest/gtest.h>

#include "link/cable.h"
#include "tests/support/recording_port.h"

class RecordedLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        recording_port_reset();
        saved_delay = clock_delay;
        port_shadow = 0;
    }
    void TearDown() override { clock_delay = saved_delay; }
    int32_t saved_delay = 2;
};
