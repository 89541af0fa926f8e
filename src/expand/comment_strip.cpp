#include "expand/comment_strip.h"

#include <cstring>

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

// Copies line[from, to) into the analysis copy, each byte mapped to its own position.
void Append_Run(std::string_view line, std::size_t from, std::size_t to, std::string& analysis,
                std::vector<std::uint32_t>& offsets) {
    analysis.append(line.data() + from, to - from);
    const std::size_t base = offsets.size();
    offsets.resize(base + (to - from));
    for (std::size_t i = from; i < to; ++i) {
        offsets[base + (i - from)] = static_cast<std::uint32_t>(i);
    }
}

bool Is_Special(char c) {
    return c == '"' || c == '\'' || c == '/';
}

}  // namespace

bool Strip_Comments(std::string_view line, bool& in_block_comment, std::string& analysis,
                    std::vector<std::uint32_t>& offsets) {
    analysis.clear();
    offsets.clear();
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
            Append_Run(line, p, q + 1, analysis, offsets);
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
            analysis.push_back(' ');
            offsets.push_back(kCommentMarker);
            p = end + 2;
        } else {
            // Plain text up to the next byte that may open a literal or a comment.
            std::size_t q = p + 1;
            while (q < n && !Is_Special(line[q])) ++q;
            Append_Run(line, p, q, analysis, offsets);
            p = q;
        }
    }
    return true;
}
