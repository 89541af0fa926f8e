#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

/// The bytes of one 64-byte block that the plain-line scan stops at, one mask per set of bytes
/// it looks for in some mode, bit i standing for byte i of the block.
struct SpecialBytes {
    std::uint64_t feeds;    ///< '\n'
    std::uint64_t code;     ///< '\r' '#' '/' '"' '\'' '\\': what matters outside comments
    std::uint64_t literal;  ///< '\n' '\r' '"' '\'' '\\': what matters inside a literal
    std::uint64_t comment;  ///< '\r' and the '*' of each "*/": what matters inside a block comment
    std::uint32_t feed_count;  ///< the number of bits set in `feeds`
};

/// The size of the block one SpecialBytes describes.
constexpr std::size_t kSpecialBlock = 64;

/// Fills `out[i]` with the special bytes of `data[64 * i, 64 * i + 64)`, for every i below
/// `blocks`; all those bytes must be readable, and one more behind them (for "*/"). Uses the widest vector unit the processor has.
void Find_Special_Bytes(const char* data, std::size_t blocks, SpecialBytes* out);

/// Index of the lowest set bit of a mask that is not zero.
inline unsigned Lowest_Bit64(std::uint64_t mask) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index;
    _BitScanForward64(&index, mask);
    return static_cast<unsigned>(index);
#else
    return static_cast<unsigned>(__builtin_ctzll(mask));
#endif
}

/// Index of the highest set bit of a mask that is not zero.
inline unsigned Highest_Bit64(std::uint64_t mask) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index;
    _BitScanReverse64(&index, mask);
    return static_cast<unsigned>(index);
#else
    return 63u - static_cast<unsigned>(__builtin_clzll(mask));
#endif
}

/// Number of set bits.
inline unsigned Count_Bits64(std::uint64_t mask) {
    mask = mask - ((mask >> 1) & 0x5555555555555555u);
    mask = (mask & 0x3333333333333333u) + ((mask >> 2) & 0x3333333333333333u);
    mask = (mask + (mask >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<unsigned>((mask * 0x0101010101010101u) >> 56);
}
