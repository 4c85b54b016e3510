// The rand48 recurrence X := (0x5DEECE66D * X + 0xB) mod 2^48, yielding X >> 17.
#include "search/random.hpp"

namespace {

constexpr uint64_t START_STATE = 0x1234ABCD330EULL;
constexpr uint64_t MULTIPLIER = 0x5DEECE66DULL;
constexpr uint64_t INCREMENT = 0xBULL;
constexpr uint64_t STATE_MASK = (1ULL << 48) - 1;

uint64_t state = START_STATE;

int32_t next_draw()
{
    state = (MULTIPLIER * state + INCREMENT) & STATE_MASK;
    return static_cast<int32_t>(state >> 17);
}

}  // namespace

int32_t random_below(int32_t n)
{
    if (n == 0)
        return 0;
    return next_draw() % n;  // the draw is never negative, so neither is the remainder
}

double random_between(int32_t lo, int32_t hi)
{
    auto span = static_cast<int32_t>(static_cast<uint32_t>(hi) - static_cast<uint32_t>(lo));
    auto sum = static_cast<uint32_t>(lo) + static_cast<uint32_t>(random_below(span));
    return static_cast<int32_t>(sum);
}

void restart_random_sequence()
{
    state = START_STATE;
}
