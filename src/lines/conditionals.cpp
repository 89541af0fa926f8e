#include "lines/conditionals.h"

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

// The keyword ends the copy or is followed by a byte that ends the word.
bool Is_Keyword(std::string_view word, std::string_view keyword) {
    return Starts_With(word, keyword) &&
           (word.size() == keyword.size() || !Is_Alnum(word[keyword.size()]));
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
    return Is_Keyword(word, "endif");
}

bool Is_Else_Directive(std::string_view analysis) {
    std::string_view word;
    if (!Directive_Word(analysis, word)) return false;
    return Is_Keyword(word, "else") || Is_Keyword(word, "elif") || Is_Keyword(word, "elifdef") ||
           Is_Keyword(word, "elifndef");
}

void Register_Pending_Fix(IncludeFrame& includer) {
    // The text pasted into the block shifts the numbering of everything after it. A fix is due
    // after each enclosing block, since a compiler that skips an outer block never sees the
    // fixes of the inner ones.
    if (includer.conditional_depth > includer.pending_fixes) {
        includer.pending_fixes = includer.conditional_depth;
    }
}

bool Close_Conditional(IncludeFrame& frame, FILE* err) {
    if (frame.conditional_depth == 0) {
        Warn_Mismatched(frame, err);
        return false;
    }
    // The blocks that owe a fix are the outermost ones, so the block just closed owes one
    // exactly when all the open blocks did.
    const bool due = frame.pending_fixes == frame.conditional_depth;
    --frame.conditional_depth;
    if (due) --frame.pending_fixes;
    return due;
}

bool Branch_Needs_Fix(const IncludeFrame& frame) {
    return frame.conditional_depth > 0 && frame.pending_fixes == frame.conditional_depth;
}

void Write_Fix_Marker(const IncludeFrame& frame, std::string_view source_line,
                      OutputStream& output) {
    output.Write(source_line);
    if (frame.scan.mode == ScanState::Mode::block_comment) output.Write(" */", 3);
    output.Write(" // about to fix after-include-line\n");
}

void Check_End_Of_File(const IncludeFrame& frame, FILE* err) {
    if (frame.conditional_depth != 0) Warn_Mismatched(frame, err);
    if (frame.pending_fixes != 0) {
        std::fprintf(err,
                     "warning: unresolved line number fixes after conditional includes in '%s': "
                     "line numbers may not match source\n",
                     frame.path);
    }
}
