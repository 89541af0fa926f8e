#pragma once

// Scanning 16 bytes at a time where the processor has SSE2 (every x86-64 does); the callers keep
// a plain loop for the others.

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif
#define QUILLFOLD_SSE2 1
#else
#define QUILLFOLD_SSE2 0
#endif

#if QUILLFOLD_SSE2
/// Index of the lowest set bit of a mask that is not zero.
inline unsigned Lowest_Bit(unsigned mask) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index;
    _BitScanForward(&index, mask);
    return static_cast<unsigned>(index);
#else
    return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}

/// Index of the highest set bit of a mask that is not zero.
inline unsigned Highest_Bit(unsigned mask) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index;
    _BitScanReverse(&index, mask);
    return static_cast<unsigned>(index);
#else
    return 31u - static_cast<unsigned>(__builtin_clz(mask));
#endif
}
#endif
