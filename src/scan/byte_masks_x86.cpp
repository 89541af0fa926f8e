// The byte masks 16 bytes at a time with SSE2, which every x86-64 has, or 32 at a time with
// AVX2 where the build allows it (QUILLFOLD_AVX2) and the processor running it has it.

#include <emmintrin.h>

#include <cstring>

#include "scan/byte_masks.h"

#if QUILLFOLD_AVX2
#include <immintrin.h>
#endif

namespace {

std::uint64_t Bits(__m128i lanes) {
    return static_cast<unsigned>(_mm_movemask_epi8(lanes));
}

void Find_Sse2(const char* data, std::size_t blocks, ByteMasks* out) {
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i ret = _mm_set1_epi8('\r');
    const __m128i hash = _mm_set1_epi8('#');
    const __m128i slash = _mm_set1_epi8('/');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i apostrophe = _mm_set1_epi8('\'');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i star = _mm_set1_epi8('*');
    for (std::size_t b = 0; b < blocks; ++b, data += kMaskBlock) {
        std::uint64_t feeds = 0, code = 0, literal = 0, comment = 0;
        for (unsigned i = 0; i < kMaskBlock; i += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 1));
            const __m128i feeds_here = _mm_cmpeq_epi8(bytes, feed);
            const __m128i returns_here = _mm_cmpeq_epi8(bytes, ret);
            const __m128i quoting = _mm_or_si128(
                _mm_or_si128(returns_here, _mm_cmpeq_epi8(bytes, backslash)),
                _mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, apostrophe)));
            feeds |= Bits(feeds_here) << i;
            literal |= Bits(_mm_or_si128(quoting, feeds_here)) << i;
            code |= Bits(_mm_or_si128(quoting, _mm_or_si128(_mm_cmpeq_epi8(bytes, hash),
                                                            _mm_cmpeq_epi8(bytes, slash))))
                    << i;
            comment |= Bits(_mm_or_si128(returns_here, _mm_and_si128(_mm_cmpeq_epi8(bytes, star),
                                                                     _mm_cmpeq_epi8(next, slash))))
                       << i;
        }
        out[b] = {feeds, code, literal, comment, Count_Bits(feeds)};
    }
}

#if QUILLFOLD_AVX2
// The masks of 32 bytes, in the low half of each of the four.
struct Half {
    std::uint32_t feeds, code, literal, comment;
};

__attribute__((target("avx2,popcnt"))) inline Half Find_Half(const char* data) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data));
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + 1));
    const __m256i feeds = _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\n'));
    const __m256i returns = _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\r'));
    const __m256i slashes = _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('/'));
    const __m256i quoting = _mm256_or_si256(
        _mm256_or_si256(returns, _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\\'))),
        _mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('"')),
                        _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\''))));
    const __m256i code = _mm256_or_si256(
        quoting, _mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('#')), slashes));
    const __m256i ends = _mm256_and_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('*')),
                                          _mm256_cmpeq_epi8(next, _mm256_set1_epi8('/')));
    return {static_cast<std::uint32_t>(_mm256_movemask_epi8(feeds)),
            static_cast<std::uint32_t>(_mm256_movemask_epi8(code)),
            static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(quoting, feeds))),
            static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(returns, ends)))};
}

// Each half of a mask is stored as it is: joining them in registers costs more than the stores.
__attribute__((target("avx2,popcnt"))) void Find_Avx2(const char* data, std::size_t blocks,
                                                      ByteMasks* out) {
    static_assert(sizeof(Half) == 16, "four 32-bit masks");
    for (std::size_t b = 0; b < blocks; ++b, data += kMaskBlock) {
        const Half low = Find_Half(data);
        const Half high = Find_Half(data + 32);
        ByteMasks& masks = out[b];
        const auto store = [](std::uint64_t& mask, std::uint32_t l, std::uint32_t h) {
            // Little-endian: the low half first.
            std::memcpy(&mask, &l, 4);
            std::memcpy(reinterpret_cast<char*>(&mask) + 4, &h, 4);
        };
        store(masks.feeds, low.feeds, high.feeds);
        store(masks.code, low.code, high.code);
        store(masks.literal, low.literal, high.literal);
        store(masks.comment, low.comment, high.comment);
        masks.feed_count = static_cast<std::uint32_t>(__builtin_popcount(low.feeds) +
                                                      __builtin_popcount(high.feeds));
    }
}
#endif

using Finder = void (*)(const char*, std::size_t, ByteMasks*);

Finder Choose() {
#if QUILLFOLD_AVX2
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt")) return Find_Avx2;
#endif
    return Find_Sse2;
}

}  // namespace

void Find_Byte_Masks(const char* data, std::size_t blocks, ByteMasks* out) {
    // Asked once: the processor does not change while the program runs.
    static const Finder find = Choose();
    find(data, blocks, out);
}
