// The programming steps of a run, from loading the port library to the verdict.
#pragma once

#include <cstdint>

// Every path that returns gives 0; fatal paths end the process inside the lower layers.
int32_t run_programming(int32_t model_code, bool verify_requested);
