// Where a key goes in the open-addressing tables: a table of TABLE_SIZE
// slots, a power of two, takes the top bits of the key's product with 2^64
// divided by the golden ratio (Fibonacci hashing), which spreads keys that
// differ in any bit; a taken slot sends the key on to the next, round the
// end of the table. And the hashes and keys the tables are built from.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>

template <std::size_t TABLE_SIZE>
std::size_t hash_slot(uint64_t key)
{
    static_assert(std::has_single_bit(TABLE_SIZE) && TABLE_SIZE > 1);
    constexpr int bits = std::countr_zero(TABLE_SIZE);
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> (std::numeric_limits<uint64_t>::digits - bits));
}

// A number's bits spread over all 64 (its product with 2^64 divided by the
// golden ratio, the high bits folded down): hashes to add up over a set.
constexpr uint64_t spread_bits(uint64_t number)
{
    uint64_t x = number * 0x9E3779B97F4A7C15ULL;
    return x ^ (x >> 29);
}

// The key of a sequence of numbers, folded in one at a time from 0 (an
// FNV-1a step, offset so that no sequence of one or more has key 0, which
// stands for none).
constexpr uint64_t key_with(uint64_t key, uint64_t number)
{
    return (key ^ (number + 1)) * 0x100000001B3ULL + 1;
}

template <std::size_t TABLE_SIZE>
std::size_t next_slot(std::size_t slot)
{
    static_assert(std::has_single_bit(TABLE_SIZE));
    return (slot + 1) & (TABLE_SIZE - 1);
}
