#include "expand/comment_strip.h"

#include <cstring>

#include "expand/byte_scan.h"

namespace {

// Position of the '*' of the first "*/" at or after `from`, or npos.
std::size_t Find_Comment_End(std::string_view line, std::size_t from) {
    while (from + 1 < line.size()) {
        const void* star = std::memchr(line.data() + from, '*', line.size() - 1 - from);
        if (star == nullptr) break;
        const std::size_t at = static_cast<const char*>(star) - line.data();
        if (line[at + 1] == '/') return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

bool Is_Special(char c) {
    return c == '"' || c == '\'' || c == '/';
}

// Position of the first byte at or after `from` that may open a literal or a comment, or the
// length of the line. Most of a line is plain text, so it looks at 16 bytes at a time.
std::size_t Find_Special(std::string_view line, std::size_t from) {
    const std::size_t n = line.size();
#if QUILLFOLD_SSE2
    for (; from + 16 <= n; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + from));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                                       _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\''))),
                                          _mm_cmpeq_epi8(bytes, _mm_set1_epi8('/')));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0) return from + Lowest_Bit(mask);
    }
#endif
    while (from < n && !Is_Special(line[from])) ++from;
    return from;
}

// The one scan behind both operations. `sink` takes each run of the analysis copy, line[from,
// to), and each in-line block comment; what it does with them is the only difference.
template <class Sink>
bool Scan(std::string_view line, bool& in_block_comment, Sink& sink) {
    const std::size_t n = line.size();
    std::size_t p = 0;
    if (in_block_comment) {
        const std::size_t end = Find_Comment_End(line, 0);
        if (end == std::string_view::npos) return true;
        in_block_comment = false;
        p = end + 2;
    }
    while (p < n) {
        const char c = line[p];
        if (c == '"' || c == '\'') {
            std::size_t q = p + 1;
            while (q < n && line[q] != c) q += (line[q] == '\\' && q + 1 < n) ? 2 : 1;
            if (q >= n) return false;
            sink.Run(line, p, q + 1);
            p = q + 1;
        } else if (c == '/' && p + 1 < n && line[p + 1] == '/') {
            break;
        } else if (c == '/' && p + 1 < n && line[p + 1] == '*') {
            // The search starts behind "/*", so "/*/" does not close itself.
            const std::size_t end = Find_Comment_End(line, p + 2);
            if (end == std::string_view::npos) {
                in_block_comment = true;
                break;
            }
            sink.Comment();
            p = end + 2;
        } else {
            // Plain text up to the next byte that may open a literal or a comment.
            const std::size_t q = Find_Special(line, p + 1);
            sink.Run(line, p, q);
            p = q;
        }
    }
    return true;
}

// Builds the analysis copy and its OffsetMap.
struct CopySink {
    std::string& analysis;
    std::vector<std::uint32_t>& offsets;

    // Copies line[from, to), each byte mapped to its own position.
    void Run(std::string_view line, std::size_t from, std::size_t to) {
        analysis.append(line.data() + from, to - from);
        const std::size_t base = offsets.size();
        offsets.resize(base + (to - from));
        for (std::size_t i = from; i < to; ++i) {
            offsets[base + (i - from)] = static_cast<std::uint32_t>(i);
        }
    }
    void Comment() {
        analysis.push_back(' ');
        offsets.push_back(kCommentMarker);
    }
};

// Keeps nothing: the scan alone follows comments and finds unterminated literals.
struct NoSink {
    void Run(std::string_view, std::size_t, std::size_t) {}
    void Comment() {}
};

}  // namespace

bool Strip_Comments(std::string_view line, bool& in_block_comment, std::string& analysis,
                    std::vector<std::uint32_t>& offsets) {
    analysis.clear();
    offsets.clear();
    CopySink sink{analysis, offsets};
    return Scan(line, in_block_comment, sink);
}

bool Check_Comments(std::string_view line, bool& in_block_comment) {
    NoSink sink;
    return Scan(line, in_block_comment, sink);
}
