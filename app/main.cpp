// SPDX-License-Identifier: MIT
#include "app/run_sequence.h"
#include "platform/system.h"

int main(int argc, char* argv[])
{
    platform_exit(run_sequence(argc, argv));
}
