#include "scan/line_scan.h"

#include <cstring>

#include "io/byte_scan.h"

namespace {

using Mode = ScanState::Mode;
constexpr std::size_t npos = std::string_view::npos;

// Position of the '*' of the first "*/" at or after `from`, or npos.
std::size_t Find_Comment_End(std::string_view line, std::size_t from) {
    while (from + 1 < line.size()) {
        const void* star = std::memchr(line.data() + from, '*', line.size() - 1 - from);
        if (star == nullptr) break;
        const std::size_t at = static_cast<const char*>(star) - line.data();
        if (line[at + 1] == '/') return at;
        from = at + 1;
    }
    return npos;
}

bool Is_Special(char c) {
    return c == '"' || c == '\'' || c == '/';
}

// Position of the first byte at or after `from` that may open a literal or a comment, or the
// length of the text. Most of a line is plain text, so it looks at 16 bytes at a time.
std::size_t Find_Special(std::string_view text, std::size_t from) {
    const std::size_t n = text.size();
#if QUILLFOLD_SSE2
    for (; from + 16 <= n; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                                       _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\''))),
                                          _mm_cmpeq_epi8(bytes, _mm_set1_epi8('/')));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0) return from + Lowest_Bit(mask);
    }
#endif
    while (from < n && !Is_Special(text[from])) ++from;
    return from;
}

bool Is_Blank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

// Bytes of identifiers and numbers; bytes from 128 up spell extended characters in UTF-8.
bool Is_Word_Byte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || Is_Digit(c) || c == '_' ||
           c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

// Position of the backslash of a backslash-newline ending `line`, or npos. Blanks may stand
// between the two, as compilers accept.
inline std::size_t Find_Splice(std::string_view line) {
    std::size_t end = line.size();
    while (end > 0 && Is_Blank(line[end - 1])) --end;
    return end > 0 && line[end - 1] == '\\' ? end - 1 : npos;
}

// True when the quote at `at` separates digits (1'000): it stands inside a number that begins
// in the plain text `text[from, at)`.
bool Is_Digit_Separator(std::string_view text, std::size_t from, std::size_t at) {
    if (at == from || at + 1 >= text.size() || !Is_Word_Byte(text[at - 1]) ||
        !Is_Word_Byte(text[at + 1])) {
        return false;
    }
    // Earlier separators of the same number are part of the plain text too.
    std::size_t start = at;
    while (start > from &&
           (Is_Word_Byte(text[start - 1]) || text[start - 1] == '.' || text[start - 1] == '\'')) {
        --start;
    }
    // A number begins with a digit or a '.' and a digit; an identifier before the quote makes it
    // a prefixed character literal (u8'a', L'a').
    return Is_Digit(text[start]) || (text[start] == '.' && Is_Digit(text[start + 1]));
}

// True when the '"' at `at` opens a raw string: a whole-token prefix R, u8R, uR, UR or LR stands
// right before it in the plain text `text[from, at)`.
bool Opens_Raw_String(std::string_view text, std::size_t from, std::size_t at) {
    if (at == from || text[at - 1] != 'R') return false;
    std::size_t start = at - 1;
    while (start > from && Is_Word_Byte(text[start - 1])) --start;
    const std::string_view prefix = text.substr(start, at - start);
    return prefix == "R" || prefix == "u8R" || prefix == "uR" || prefix == "UR" || prefix == "LR";
}

// Size of the delimiter of a raw string whose '"' is at `at`: at most 16 bytes other than blanks,
// control bytes, parentheses and backslashes, then '('. npos when there is none.
std::size_t Raw_Delimiter_Size(std::string_view line, std::size_t at) {
    std::size_t d = at + 1;
    while (d < line.size() && d - at <= 17 && line[d] > ' ' && line[d] < 0x7F && line[d] != '(' &&
           line[d] != ')' && line[d] != '\\') {
        ++d;
    }
    const std::size_t size = d - (at + 1);
    return size <= 16 && d < line.size() && line[d] == '(' ? size : npos;
}

// Position of the '"' that closes a raw string with `delimiter`, at or after `from`; npos.
std::size_t Find_Raw_End(std::string_view line, std::size_t from, std::string_view delimiter) {
    for (;;) {
        const std::size_t close = line.find(')', from);
        if (close == npos) return npos;
        const std::size_t quote = close + 1 + delimiter.size();
        if (quote < line.size() && line[quote] == '"' &&
            line.compare(close + 1, delimiter.size(), delimiter) == 0) {
            return quote;
        }
        from = close + 1;
    }
}

// Position of the first `quote` or backslash at or after `from`, or the length of the text.
std::size_t Find_Quote_Or_Escape(std::string_view text, std::size_t from, char quote) {
    const std::size_t n = text.size();
#if QUILLFOLD_SSE2
    for (; from + 16 <= n; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(quote)),
                                          _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\')));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0) return from + Lowest_Bit(mask);
    }
#endif
    while (from < n && text[from] != quote && text[from] != '\\') ++from;
    return from;
}

// Position of the closing `quote` of a literal, scanning from `q`; npos when the text ends
// first, with `escape_pending` set when it ends right behind a backslash.
std::size_t Find_Closing_Quote(std::string_view text, std::size_t q, char quote,
                               bool& escape_pending) {
    for (;;) {
        q = Find_Quote_Or_Escape(text, q, quote);
        if (q >= text.size()) return npos;
        if (text[q] == quote) return q;
        // A backslash hides the byte behind it.
        if (q + 1 == text.size()) {
            escape_pending = true;
            return npos;
        }
        q += 2;
    }
}

bool Has_Token(std::string_view text) {
    for (const char c : text) {
        if (!Is_Blank(c)) return true;
    }
    return false;
}

// Records what a line leaves open in `state`. False on a literal left open by a line that does
// not continue. Whether a logical line that goes on holds a token is the callers' to note.
bool Finish(ScanState& state, Mode mode, bool spliced) {
    state.spliced = spliced && mode != Mode::raw_string;
    if (mode == Mode::code || mode == Mode::line_comment) {
        if (!spliced) {
            state.mode = Mode::code;
            state.in_logical_line = false;
            return true;
        }
    } else if ((mode == Mode::string || mode == Mode::character) && !spliced) {
        if (!state.lenient_quotes) return false;
        // What follows the open quote to the line's end was its text; the line ends there.
        state.mode = Mode::code;
        state.in_logical_line = false;
        state.escape_pending = false;
        return true;
    }
    state.mode = mode;
    return true;
}

// A raw string whose '"' is at `at`, or whose text goes on from `at` when it started on an
// earlier line; a backslash in it is text like any other. Returns the position behind its
// closing quote, or npos when it runs on past the line.
template <class Sink>
std::size_t Raw_String(std::string_view line, std::size_t at, std::size_t end, Sink& sink) {
    if (end == npos) {
        sink.Run(line, at, line.size());
        return npos;
    }
    sink.Run(line, at, end + 1);
    return end + 1;
}

// A literal opened at `open` (its quote, or the start of a continued line), scanned from `from`
// within `text`. Returns the position behind its closing quote, or npos when it runs on past
// the line.
template <class Sink>
std::size_t Literal(std::string_view text, std::size_t open, std::size_t from, char quote,
                    ScanState& state, Sink& sink) {
    const std::size_t close = Find_Closing_Quote(text, from, quote, state.escape_pending);
    if (close == npos) {
        sink.Run(text, open, text.size());
        return npos;
    }
    sink.Run(text, open, close + 1);
    return close + 1;
}

// One physical line, read from where `state` says the last one ended. `sink` takes each run of
// the analysis copy, line[from, to), and each in-line block comment; what it does with them is
// the only difference between the operations.
template <class Sink>
bool Scan(std::string_view line, ScanState& state, Sink& sink) {
    const std::size_t splice = Find_Splice(line);
    const bool spliced = splice != npos;
    // A backslash-newline is gone before comments and literals are recognised.
    const std::string_view text = spliced ? line.substr(0, splice) : line;
    const std::size_t n = text.size();
    std::size_t p = 0;

    // What the last line left open.
    switch (state.mode) {
        case Mode::code:
            break;
        case Mode::block_comment: {
            const std::size_t end = Find_Comment_End(line, 0);
            if (end == npos) return Finish(state, Mode::block_comment, spliced);
            p = end + 2;
            break;
        }
        case Mode::line_comment:
            return Finish(state, Mode::line_comment, spliced);
        case Mode::string:
        case Mode::character: {
            std::size_t from = 0;
            if (state.escape_pending && n > 0) {
                state.escape_pending = false;
                from = 1;
            }
            p = Literal(text, 0, from, state.mode == Mode::string ? '"' : '\'', state, sink);
            if (p == npos) return Finish(state, state.mode, spliced);
            break;
        }
        case Mode::raw_string: {
            const std::string_view delimiter(state.delimiter, state.delimiter_size);
            p = Raw_String(line, 0, Find_Raw_End(line, 0, delimiter), sink);
            if (p == npos) return Finish(state, Mode::raw_string, false);
            break;
        }
    }

    std::size_t plain_from = p;  // where the plain text since the last literal or comment began
    while (p < n) {
        const char c = text[p];
        if (c == '/' && p + 1 < n && text[p + 1] == '/') {
            return Finish(state, Mode::line_comment, spliced);
        }
        if (c == '/' && p + 1 < n && text[p + 1] == '*') {
            // The search starts behind "/*", so "/*/" does not close itself.
            const std::size_t end = Find_Comment_End(line, p + 2);
            if (end == npos) return Finish(state, Mode::block_comment, spliced);
            sink.Comment();
            p = plain_from = end + 2;
        } else if (c == '"' && Opens_Raw_String(text, plain_from, p)) {
            const std::size_t size = Raw_Delimiter_Size(line, p);
            if (size == npos) {
                // Not a valid raw string: the compiler reports it; read it as an ordinary one.
                p = Literal(text, p, p + 1, '"', state, sink);
                if (p == npos) return Finish(state, Mode::string, spliced);
            } else {
                const std::string_view delimiter = line.substr(p + 1, size);
                std::memcpy(state.delimiter, delimiter.data(), size);
                state.delimiter_size = static_cast<std::uint8_t>(size);
                p = Raw_String(line, p, Find_Raw_End(line, p + 2 + size, delimiter), sink);
                if (p == npos) return Finish(state, Mode::raw_string, false);
            }
            plain_from = p;
        } else if (c == '"' || c == '\'') {
            p = Literal(text, p, p + 1, c, state, sink);
            if (p == npos) return Finish(state, c == '"' ? Mode::string : Mode::character, spliced);
            plain_from = p;
        } else {
            // Plain text up to the next byte that may open a literal or a comment; a digit
            // separator does not.
            std::size_t q = Find_Special(text, p + 1);
            while (q < n && text[q] == '\'' && Is_Digit_Separator(text, plain_from, q)) {
                q = Find_Special(text, q + 1);
            }
            sink.Run(line, p, q);
            p = q;
        }
    }
    return Finish(state, Mode::code, spliced);
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

// Keeps nothing: the scan alone follows comments, literals and splices. Notes whether the line
// held anything but comments.
struct NoSink {
    bool ran = false;
    void Run(std::string_view, std::size_t, std::size_t) { ran = true; }
    void Comment() {}
};

// Notes whether anything but comments and blanks was seen.
struct TokenSink {
    bool token = false;
    void Run(std::string_view line, std::size_t from, std::size_t to) {
        token = token || Has_Token(line.substr(from, to - from));
    }
    void Comment() {}
};

}  // namespace

bool Strip_Comments(std::string_view line, ScanState& state, std::string& analysis,
                    std::vector<std::uint32_t>& offsets) {
    analysis.clear();
    offsets.clear();
    CopySink sink{analysis, offsets};
    if (!Scan(line, state, sink)) return false;
    if (state.Continues() && !state.in_logical_line) state.in_logical_line = Has_Token(analysis);
    return true;
}

bool Check_Comments(std::string_view line, ScanState& state) {
    const ScanState start = state;
    NoSink sink;
    if (!Scan(line, state, sink)) return false;
    // Rare enough to scan the line again rather than watch for tokens on every line. A line that
    // began inside a literal continues a logical line that holds one already.
    if (sink.ran && state.Continues() && !state.in_logical_line) {
        ScanState again = start;
        TokenSink tokens;
        (void)Scan(line, again, tokens);
        state.in_logical_line = tokens.token;
    }
    return true;
}
