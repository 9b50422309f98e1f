// SPDX-License-Identifier: MIT
// The flash steps against the exchange recorder, with the board's flash window.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "board/board_init.h"
#include "flash/identify.h"
#include "tests/flash/test_images.h"
#include "tests/support/exchange_recorder.h"

constexpr uint32_t board_flash_base = 0xFF800000;
constexpr uint32_t board_image_offset = 0x7D0000;

class FlashSteps : public testing::Test {
protected:
    void SetUp() override
    {
        recorder_reset();
        test_images_clear();
        flash_base = board_flash_base;
        image_offset = board_image_offset;
        download_address = 0;
        sector_count = -1;
        erase_wait_limit_s = 0;
        std::memset(sector_table, 0, sizeof sector_table);
    }
};
