#include "scan/plain_lines.h"

#include "io/byte_scan.h"

namespace {

#if QUILLFOLD_SSE2
// The sum of the 16 byte lanes.
std::size_t Sum_Lanes(__m128i lanes) {
    const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
    return static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
           static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
}

// Number of set bits in a 16-bit mask.
unsigned Count_Bits(unsigned mask) {
    mask = mask - ((mask >> 1) & 0x5555u);
    mask = (mask & 0x3333u) + ((mask >> 2) & 0x3333u);
    mask = (mask + (mask >> 4)) & 0x0F0Fu;
    return (mask + (mask >> 8)) & 0x1Fu;
}
#endif

#if !QUILLFOLD_SSE2
// A byte that can start a directive, a comment or a literal, a backslash, which may continue the
// line, or a carriage return, which the reader may have to drop.
bool Is_Stop(char c) {
    return c == '#' || c == '/' || c == '"' || c == '\'' || c == '\\' || c == '\r';
}
#endif

}  // namespace

std::size_t Plain_Lines(std::string_view text, std::uint32_t& lines) {
    const char* at = text.data();
    const std::size_t n = text.size();
#if QUILLFOLD_SSE2
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    std::size_t count = 0;
    std::size_t i = 0;
    unsigned stop = 0;
    while (stop == 0 && i + 16 <= n) {
        // Line feeds are counted in the 16 byte lanes, added up after at most 255 blocks, before
        // a lane can overflow.
        __m128i lanes = zero;
        const std::size_t limit = n - i > 255 * 16 ? i + 255 * 16 : n;
        for (; i + 16 <= limit; i += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + i));
            const __m128i stops =
                _mm_or_si128(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('#')),
                                                       _mm_cmpeq_epi8(bytes, _mm_set1_epi8('/'))),
                                          _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                                       _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\'')))),
                             _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\')),
                                          _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
            stop = static_cast<unsigned>(_mm_movemask_epi8(stops));
            if (stop != 0) break;
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, feed));
        }
        count += Sum_Lanes(lanes);
    }
    if (stop != 0) {
        // The line feeds before the first stop byte of its block still end plain lines.
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + i));
        const unsigned feeds =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, feed))) &
            ((stop & (0u - stop)) - 1u);
        if (feeds != 0) {
            lines = static_cast<std::uint32_t>(count + Count_Bits(feeds));
            return i + Highest_Bit(feeds) + 1;
        }
    }
    // Otherwise the plain lines end at the last line feed in the blocks passed over.
    lines = static_cast<std::uint32_t>(count);
    for (; i >= 16; i -= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + i - 16));
        const unsigned feeds =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, feed)));
        if (feeds != 0) return i - 16 + Highest_Bit(feeds) + 1;
    }
    return 0;
#else
    std::size_t end = 0;
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = at[i];
        if (Is_Stop(c)) break;
        if (c == '\n') {
            ++count;
            end = i + 1;
        }
    }
    lines = count;
    return end;
#endif
}
