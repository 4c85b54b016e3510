// Where a key goes in the open-addressing tables: a table of 2^bits slots
// takes the top bits of the key's product with 2^64 divided by the golden
// ratio (Fibonacci hashing), which spreads keys that differ in any bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

inline std::size_t hash_slot(uint64_t key, int bits)
{
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> (std::numeric_limits<uint64_t>::digits - bits));
}
