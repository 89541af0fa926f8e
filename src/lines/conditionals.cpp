#include "lines/conditionals.h"

#include <algorithm>
#include <cstdint>

namespace {

// The "C" locale classes, without the locale lookup.
bool Is_Space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool Is_Alnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Sets `word` to the text behind the '#' and the whitespace after it. False when the copy does
// not begin, after whitespace, with '#', or nothing follows it.
bool Directive_Word(std::string_view analysis, std::string_view& word) {
    std::size_t p = 0;
    const std::size_t e = analysis.size();
    while (p < e && Is_Space(analysis[p])) ++p;
    if (p == e || analysis[p] != '#') return false;
    ++p;
    while (p < e && Is_Space(analysis[p])) ++p;
    if (p == e) return false;
    word = analysis.substr(p);
    return true;
}

bool Starts_With(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The keyword must be followed by a byte, and that byte must end the word.
bool Is_Keyword_Then_Byte(std::string_view word, std::string_view keyword) {
    return Starts_With(word, keyword) && word.size() > keyword.size() &&
           !Is_Alnum(word[keyword.size()]);
}

void Warn_Mismatched(const IncludeFrame& frame, FILE* err) {
    std::fprintf(err,
                 "warning: mismatched preprocessor conditionals in '%s': there might have been "
                 "parse errors\n",
                 frame.path);
}

}  // namespace

bool Is_If_Directive(std::string_view analysis) {
    std::string_view word;
    if (!Directive_Word(analysis, word)) return false;
    return Is_Keyword_Then_Byte(word, "if") || Is_Keyword_Then_Byte(word, "ifdef") ||
           Is_Keyword_Then_Byte(word, "ifndef");
}

bool Is_Endif_Directive(std::string_view analysis) {
    std::string_view word;
    if (!Directive_Word(analysis, word)) return false;
    constexpr std::string_view keyword = "endif";
    return Starts_With(word, keyword) &&
           (word.size() == keyword.size() || !Is_Alnum(word[keyword.size()]));
}

void Register_Pending_Fix(IncludeFrame& includer) {
    const std::uint32_t depth = includer.conditional_depth;
    if (depth == 0) return;
    auto& fixes = includer.pending_fixes;
    const auto at = std::lower_bound(fixes.begin(), fixes.end(), depth);
    if (at == fixes.end() || *at != depth) fixes.insert(at, depth);
}

EndifAction Close_Conditional(IncludeFrame& frame, std::string_view source_line,
                              OutputStream& output, FILE* err) {
    if (frame.conditional_depth == 0) {
        Warn_Mismatched(frame, err);
    } else {
        --frame.conditional_depth;
    }
    // The depth of the block just closed; an unmatched #endif counts as closing depth 1.
    const std::uint32_t key = frame.conditional_depth + 1;
    auto& fixes = frame.pending_fixes;
    const auto at = std::lower_bound(fixes.begin(), fixes.end(), key);
    if (at == fixes.end() || *at != key) return EndifAction::write_line;

    // A backslash may continue the directive onto the next line, where a suffix would break it;
    // the fix waits for a later #endif at the same depth.
    if (source_line.find('\\') != std::string_view::npos) {
        const unsigned line = frame.line_counter - 1;
        std::fprintf(err, "warning: '%s' line %u: multiline endif while line number fix pending\n",
                     frame.path, line);
        return EndifAction::write_line;
    }
    fixes.erase(at);
    output.Write(source_line);
    // A directive inside a block comment would be ignored: close the comment here, and the
    // resumption reopens it for the next line.
    if (frame.in_block_comment) output.Write(" */", 3);
    output.Write(" // about to fix after-include-line\n");
    return EndifAction::restart;
}

void Check_End_Of_File(const IncludeFrame& frame, FILE* err) {
    if (frame.conditional_depth != 0) Warn_Mismatched(frame, err);
    if (!frame.pending_fixes.empty()) {
        std::fprintf(err,
                     "warning: unresolved line number fixes after conditional includes in '%s': "
                     "line numbers may not match source\n",
                     frame.path);
    }
}
