// The one pseudo-random sequence of the process: a 48-bit linear congruential
// generator of the rand48 family, never seeded, so every process makes the
// same draws. Every random decision of the program goes through these two calls.
#pragma once

#include <cstdint>

// r % n for one draw r in 0..2^31-1; 0 without a draw when n is 0.
int32_t random_below(int32_t n);

// lo + random_below(hi - lo), in 32-bit arithmetic: an integer in lo..hi-1 for hi > lo.
double random_between(int32_t lo, int32_t hi);

// Puts the sequence back at its start-up state; for tests and benchmarks only.
void restart_random_sequence();
