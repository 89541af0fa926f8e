#include "scan/directive.h"

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool Is_Alnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Every prefix asked for is a word: its first byte rules out most texts without a compare.
bool Starts_With(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text[0] == prefix[0] &&
           text.compare(0, prefix.size(), prefix) == 0;
}

// The keyword ends the word: the text ends behind it or goes on with a byte that is no letter or
// digit. With `needs_byte`, the text may not end behind it.
bool Is_Keyword(std::string_view word, std::string_view keyword, bool needs_byte = false) {
    if (!Starts_With(word, keyword)) return false;
    if (word.size() == keyword.size()) return !needs_byte;
    return !Is_Alnum(word[keyword.size()]);
}

// "line", optional whitespace, an optional sign and a digit, as %u needs it.
bool Is_Line_Word(std::string_view word) {
    if (!Starts_With(word, "line")) return false;
    std::size_t p = Skip_Space(word, 4);
    if (p < word.size() && (word[p] == '+' || word[p] == '-')) ++p;
    return p < word.size() && word[p] >= '0' && word[p] <= '9';
}

// "include", optional whitespace, then "name" or <name>, where a backslash hides the byte
// behind it.
DirectiveKind Include_Shape(std::string_view analysis, std::size_t word, IncludeSyntax& syntax) {
    const std::size_t m = analysis.size();
    std::size_t at = Skip_Space(analysis, word + 7);
    if (at == m || (analysis[at] != '<' && analysis[at] != '"')) return DirectiveKind::bad_include;
    syntax.angle = analysis[at] == '<';
    const char closing = syntax.angle ? '>' : '"';
    syntax.name_begin = ++at;
    while (at < m && analysis[at] != closing) at += (analysis[at] == '\\' && at + 1 < m) ? 2 : 1;
    if (at >= m) return DirectiveKind::bad_include;
    syntax.name_end = at;
    return DirectiveKind::include;
}

bool Is_Identifier_Start(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

// The identifier at `at` (empty when there is none); `at` moves behind it.
std::string_view Identifier(std::string_view text, std::size_t& at) {
    const std::size_t begin = at;
    if (at < text.size() && Is_Identifier_Start(text[at])) {
        while (at < text.size() && (Is_Alnum(text[at]) || text[at] == '_')) ++at;
    }
    return text.substr(begin, at - begin);
}

bool Only_Space_From(std::string_view text, std::size_t at) {
    return Skip_Space(text, at) == text.size();
}

// `#ifdef X` or `#ifndef X`: the macro alone after the keyword.
Condition Macro_Test(std::string_view text, std::size_t at, Condition::Kind kind) {
    at = Skip_Space(text, at);
    const std::string_view macro = Identifier(text, at);
    if (macro.empty() || !Only_Space_From(text, at)) return {};
    return {kind, macro, false};
}

// The expression of an #if or #elif where it is `defined X`, `defined(X)`, the same negated
// with '!', or a decimal number alone.
Condition Expression_Test(std::string_view text, std::size_t at) {
    at = Skip_Space(text, at);
    const bool negated = at < text.size() && text[at] == '!';
    if (negated) at = Skip_Space(text, at + 1);
    if (Identifier(text, at) == "defined") {
        at = Skip_Space(text, at);
        const bool parenthesised = at < text.size() && text[at] == '(';
        if (parenthesised) at = Skip_Space(text, at + 1);
        const std::string_view macro = Identifier(text, at);
        if (macro.empty()) return {};
        if (parenthesised) {
            at = Skip_Space(text, at);
            if (at == text.size() || text[at] != ')') return {};
            ++at;
        }
        if (!Only_Space_From(text, at)) return {};
        return {negated ? Condition::Kind::not_defined : Condition::Kind::defined, macro, false};
    }
    std::size_t end = at;
    while (end < text.size() && Is_Digit(text[end])) ++end;
    if (negated || end == at || !Only_Space_From(text, end)) return {};
    const bool nonzero = text.substr(at, end - at).find_first_not_of('0') != std::string_view::npos;
    return {Condition::Kind::constant, {}, nonzero};
}

}  // namespace

std::size_t Directive_Word(std::string_view analysis) {
    const std::size_t hash = Skip_Space(analysis, 0);
    if (hash == analysis.size() || analysis[hash] != '#') return npos;
    const std::size_t word = Skip_Space(analysis, hash + 1);
    return word == analysis.size() ? npos : word;
}

Directive Classify_Directive(std::string_view analysis) {
    Directive directive;
    const std::size_t at = Directive_Word(analysis);
    if (at == npos) return directive;
    const std::string_view word = analysis.substr(at);
    using Kind = Condition::Kind;
    if (Is_Keyword(word, "if", true)) {
        directive.kind = DirectiveKind::if_open;
        directive.condition = Expression_Test(word, 2);
    } else if (Is_Keyword(word, "ifdef", true) || Is_Keyword(word, "ifndef", true)) {
        directive.kind = DirectiveKind::if_open;
        const bool negated = word[2] == 'n';
        directive.condition =
            Macro_Test(word, negated ? 6 : 5, negated ? Kind::not_defined : Kind::defined);
    } else if (Is_Keyword(word, "endif")) {
        directive.kind = DirectiveKind::endif;
    } else if (Is_Keyword(word, "else")) {
        directive.kind = DirectiveKind::branch;
        directive.is_else = true;
    } else if (Is_Keyword(word, "elif")) {
        directive.kind = DirectiveKind::branch;
        directive.condition = Expression_Test(word, 4);
    } else if (Is_Keyword(word, "elifdef") || Is_Keyword(word, "elifndef")) {
        directive.kind = DirectiveKind::branch;
        const bool negated = word[4] == 'n';
        directive.condition =
            Macro_Test(word, negated ? 8 : 7, negated ? Kind::not_defined : Kind::defined);
    } else if (Is_Line_Word(word) || Is_Digit(word[0])) {
        directive.kind = DirectiveKind::line;
    } else if (word.size() > 7 && Starts_With(word, "include")) {
        directive.include.hash = analysis.find('#');
        directive.kind = Include_Shape(analysis, at, directive.include);
    } else if (Is_Keyword(word, "define", true) || Is_Keyword(word, "undef", true)) {
        const bool define = word[0] == 'd';
        std::size_t name = Skip_Space(word, define ? 6 : 5);
        directive.macro = Identifier(word, name);
        if (!directive.macro.empty()) {
            directive.kind = define ? DirectiveKind::define : DirectiveKind::undef;
        }
    } else if (Is_Keyword(word, "pragma", true)) {
        std::size_t after = Skip_Space(word, 6);
        const std::string_view name = Identifier(word, after);
        if (name == "once") {
            // Compilers honour it whatever follows it, with a warning at most.
            directive.kind = DirectiveKind::pragma_once;
            directive.begin = analysis.find('#');
            directive.end = at + after;
        } else if (name == "pop_macro") {
            // Restoring a macro may undefine it, as an #undef does.
            after = Skip_Space(word, after);
            if (after < word.size() && word[after] == '(') after = Skip_Space(word, after + 1);
            if (after < word.size() && word[after] == '"') {
                directive.macro = Identifier(word, ++after);
                if (!directive.macro.empty()) directive.kind = DirectiveKind::undef;
            }
        }
    } else if (Is_Keyword(word, "error") || Is_Keyword(word, "warning")) {
        directive.kind = DirectiveKind::message;
    }
    return directive;
}
