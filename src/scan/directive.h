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

/// What separates the parts of a directive: whitespace, and the NUL byte, which compilers pass
/// over as if it were a blank.
inline bool Is_Blank(char c) {
    return Is_Space(c) || c == '\0';
}

/// The first position from `at` on that holds no blank, or the size of `text`.
inline std::size_t Skip_Space(std::string_view text, std::size_t at) {
    while (at < text.size() && Is_Blank(text[at])) ++at;
    return at;
}

/// True when `text` holds anything but blanks.
inline bool Has_Text(std::string_view text) {
    return Skip_Space(text, 0) != text.size();
}

/// Position of the directive word: behind optional blanks, '#' and optional blanks. npos when
/// the copy does not begin with '#' or nothing follows it.
[[nodiscard]] std::size_t Directive_Word(std::string_view analysis);

enum class DirectiveKind : std::uint8_t {
    none,         ///< no directive this tool looks at
    if_open,      ///< #if, #ifdef, #ifndef, each followed by a byte that ends the word
    endif,        ///< #endif
    branch,       ///< #else, #elif, #elifdef, #elifndef
    line,         ///< #line as `sscanf(" # line %u")` takes it, or a line marker `# 100`
    include,      ///< #include "name" or <name>
    bad_include,  ///< #include followed by something else than a well-formed name
    define,       ///< #define and a macro name
    undef,        ///< #undef and a macro name, or #pragma pop_macro("name")
    pragma_once,  ///< #pragma once, whatever follows it
    message,      ///< #error or #warning, whose text is prose
};

/// What an #if, #ifdef, #ifndef, #elif, #elifdef or #elifndef tests, where it is simple enough
/// to be known without the macros' values.
struct Condition {
    enum class Kind : std::uint8_t {
        unknown,      ///< anything else
        defined,      ///< #ifdef X, #if defined X, #if defined(X)
        not_defined,  ///< #ifndef X, #if !defined X, #if !defined(X)
        constant,     ///< a decimal number alone
    };
    Kind kind = Kind::unknown;
    std::string_view macro;  ///< for defined and not_defined
    bool value = false;      ///< for constant: the number is not 0
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
    /// For if_open and branch: what the branch tests; an #else tests nothing.
    Condition condition;
    bool is_else = false;  ///< for branch: #else
    /// The macro a #define or #undef names; else empty.
    std::string_view macro;
    /// For #pragma once: where '#' stands and where "once" ends in the analysis copy.
    std::size_t begin = 0;
    std::size_t end = 0;
};

/// Tells which directive the analysis copy holds, testing in the order if, endif, else, line,
/// include, define, undef, pragma, error. A bare "#include" that ends the copy is none.
[[nodiscard]] Directive Classify_Directive(std::string_view analysis);
