#pragma once

// Bit helpers for byte masks, and scanning 16 bytes at a time where the processor has SSE2 (every
// x86-64 does); the callers keep a plain loop for the others.

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define QUILLFOLD_SSE2 1
#else
#define QUILLFOLD_SSE2 0
#endif

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

#include <cstdint>

/// Index of the lowest set bit of a mask that is not zero.
inline unsigned Lowest_Bit(std::uint64_t mask) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index;
    _BitScanForward64(&index, mask);
    return static_cast<unsigned>(index);
#else
    return static_cast<unsigned>(__builtin_ctzll(mask));
#endif
}

/// Index of the highest set bit of a mask that is not zero.
inline unsigned Highest_Bit(std::uint64_t mask) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index;
    _BitScanReverse64(&index, mask);
    return static_cast<unsigned>(index);
#else
    return 63u - static_cast<unsigned>(__builtin_clzll(mask));
#endif
}

/// Number of set bits.
inline unsigned Count_Bits(std::uint64_t mask) {
    mask = mask - ((mask >> 1) & 0x5555555555555555u);
    mask = (mask & 0x3333333333333333u) + ((mask >> 2) & 0x3333333333333333u);
    mask = (mask + (mask >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<unsigned>((mask * 0x0101010101010101u) >> 56);
}
