// SPDX-License-Identifier: MIT
// Reading the flash through OpenOCD in bulk: 32-bit loads through r1 as a
// moving address, two flash words each, repeated inside OpenOCD in requests
// of thousands, every status bit checked there.
#pragma once

#include <cstdint>

#include "ocd/exchange_ocd.h"

// count words of the flash from address on (halfword aligned) into out.
void ocd_read_words(ocd_link& link, uint32_t address, uint32_t count, uint16_t* out);
