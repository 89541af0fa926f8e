#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Directive lines, recognised on a line's analysis copy (comments gone, literals whole).
// Whitespace is the C locale's six bytes; letters and digits are ASCII only.

/// The C locale's whitespace: space, tab, line feed, vertical tab, form feed, carriage return.
inline bool Is_Space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

/// The first position from `at` on that holds no whitespace, or the size of `text`.
inline std::size_t Skip_Space(std::string_view text, std::size_t at) {
    while (at < text.size() && Is_Space(text[at])) ++at;
    return at;
}

/// True when `text` holds anything but whitespace.
inline bool Has_Text(std::string_view text) {
    return Skip_Space(text, 0) != text.size();
}

/// Position of the directive word: behind optional whitespace, '#' and optional whitespace. npos
/// when the copy does not begin with '#' or nothing follows it.
[[nodiscard]] std::size_t Directive_Word(std::string_view analysis);

enum class DirectiveKind : std::uint8_t {
    none,         ///< no directive this tool looks at
    if_open,      ///< #if, #ifdef, #ifndef, each followed by a byte that ends the word
    endif,        ///< #endif
    branch,       ///< #else, #elif, #elifdef, #elifndef
    line,         ///< #line as `sscanf(" # line %u")` takes it: Parse_Line_Directive tells more
    include,      ///< #include "name" or <name>
    bad_include,  ///< #include followed by something else than a well-formed name
    define,       ///< #define and a macro name
    undef,        ///< #undef and a macro name, or #pragma pop_macro("name")
    pragma_once,  ///< #pragma once, with nothing after it
};

/// Where the name of an include stands in the analysis copy.
struct IncludeSyntax {
    bool angle = false;          ///< <name> rather than "name"
    std::size_t hash = 0;        ///< position of '#'
    std::size_t name_begin = 0;  ///< first byte of the name
    std::size_t name_end = 0;    ///< the closing delimiter
};

struct Directive {
    DirectiveKind kind = DirectiveKind::none;
    IncludeSyntax include;  ///< for DirectiveKind::include
    /// The macro a #define or #undef names, or that an #if_open tests for being undefined when
    /// that is all it tests (`#ifndef X`, `#if !defined X`, `#if !defined(X)`); else empty.
    std::string_view macro;
    /// For #pragma once: where '#' stands and where "once" ends in the analysis copy.
    std::size_t begin = 0;
    std::size_t end = 0;
};

/// Tells which directive the analysis copy holds, testing in the order if, endif, else, line,
/// include, define, undef, pragma. A bare "#include" that ends the copy is none.
[[nodiscard]] Directive Classify_Directive(std::string_view analysis);
