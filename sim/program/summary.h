// What vexload-sim tells on standard error when a run ends.
#pragma once

// Simulated time, port accesses, TCK cycles, exchanges, sleeps, and last
// "image in flash: yes" or "image in flash: no".
void print_summary();
