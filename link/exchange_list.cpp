// SPDX-License-Identifier: MIT
#include "link/exchange_list.h"

#include "link/debug_exchange.h"

uint32_t run_exchanges(const exchange_list& list)
{
    uint32_t result = 0;
    for (const exchange& e : list)
        result = dbg_exchange(e.instruction, e.data, e.final_bit);
    return result;
}
