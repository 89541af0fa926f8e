#pragma once

#include <cstddef>
#include <cstdint>

#include "io/byte_scan.h"

/// The bytes of one 64-byte block that the plain-line scan stops at, one mask per set of bytes
/// it looks for in some mode, bit i standing for byte i of the block.
struct ByteMasks {
    std::uint64_t feeds;    ///< '\n'
    std::uint64_t code;     ///< '\r' '#' '/' '"' '\'' '\\': what matters outside comments
    std::uint64_t literal;  ///< '\n' '\r' '"' '\'' '\\': what matters inside a literal
    std::uint64_t comment;  ///< '\r' and the '*' of each "*/": what matters inside a block comment
    std::uint32_t feed_count;  ///< the number of bits set in `feeds`
};

/// The size of the block one ByteMasks describes.
constexpr std::size_t kMaskBlock = 64;

/// Fills `out[i]` with the masks of `data[64 * i, 64 * i + 64)`, for every i below `blocks`;
/// all those bytes must be readable, and one more behind them (for "*/"). Uses the widest
/// vector unit the processor has.
void Find_Byte_Masks(const char* data, std::size_t blocks, ByteMasks* out);
