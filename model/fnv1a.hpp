// FNV-1a, the 64-bit hash of bytes that the instance digest and the
// importer's tables of names share: each byte xored in, then a product
// with the FNV prime, from the published offset basis.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

inline constexpr uint64_t FNV1A_OFFSET_BASIS = 0xCBF29CE484222325ULL;

inline uint64_t fnv1a(const void* data, std::size_t size, uint64_t hash = FNV1A_OFFSET_BASIS)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ bytes[i]) * 0x100000001B3ULL;
    return hash;
}

inline uint64_t fnv1a_text(const char* text)
{
    return fnv1a(text, std::strlen(text));
}
