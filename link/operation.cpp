// SPDX-License-Identifier: MIT
#include "link/debug_exchange.h"

namespace {

int32_t depth = 0;
bool joins_next = false;

} // namespace

void dbg_operation_begin()
{
    ++depth;
}

void dbg_operation_end()
{
    if (--depth > 0)
        return;
    depth = 0;
    if (joins_next) {
        joins_next = false;
        return;
    }
    link_batch_boundary();
}

void dbg_operation_joins_next()
{
    joins_next = true;
}
