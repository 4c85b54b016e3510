// The one pseudo-random sequence of the process: a 48-bit linear congruential
// generator of the rand48 family, never seeded, so every process makes the
// same draws. Every random decision of the program goes through the calls
// below, which stand here whole: the annealing's move draws several times
// per attempt.
#pragma once

#include <cstdint>

namespace random_sequence {

// X := (0x5DEECE66D * X + 0xB) mod 2^48; the draw is X >> 17. X is kept in
// the high 48 bits of `state`, where the 64-bit arithmetic drops the bits
// above 2^48 by itself: state = X * 2^16.
inline constexpr uint64_t START_STATE = 0x1234ABCD330EULL << 16;
inline constexpr uint64_t MULTIPLIER = 0x5DEECE66DULL;
inline constexpr uint64_t INCREMENT = 0xBULL << 16;

inline uint64_t state = START_STATE;

inline int32_t next_draw()
{
    state = MULTIPLIER * state + INCREMENT;
    return static_cast<int32_t>(state >> 33);
}

}  // namespace random_sequence

// r % n for one draw r in 0..2^31-1; 0 without a draw when n is 0.
inline int32_t random_below(int32_t n)
{
    if (n == 0)
        return 0;
    return random_sequence::next_draw() % n;  // the draw is never negative, so neither is the remainder
}

// random_below(n) for n >= 1, in unsigned arithmetic, which the hot loops of
// the annealing's move find cheaper.
inline uint32_t random_index(uint32_t n)
{
    return static_cast<uint32_t>(random_sequence::next_draw()) % n;
}

// lo + random_below(hi - lo), in 32-bit arithmetic: an integer in lo..hi-1 for hi > lo.
inline int32_t random_between(int32_t lo, int32_t hi)
{
    auto span = static_cast<int32_t>(static_cast<uint32_t>(hi) - static_cast<uint32_t>(lo));
    auto sum = static_cast<uint32_t>(lo) + static_cast<uint32_t>(random_below(span));
    return static_cast<int32_t>(sum);
}

// Puts the sequence back at its start-up state; for tests and benchmarks only.
inline void restart_random_sequence()
{
    random_sequence::state = random_sequence::START_STATE;
}
