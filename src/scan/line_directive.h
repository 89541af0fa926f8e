#pragma once

#include <cstdint>
#include <string_view>

/// What the parse of the analysis copy of a #line line, or of a line marker, found.
struct LineDirective {
    /// The compiler follows it: the next line takes `number` (and `name`, when it has one).
    bool accepted = false;
    /// The decimal digits, modulo 2^32.
    std::uint32_t number = 0;
    /// A quoted name follows the number; it may be empty.
    bool has_name = false;
    /// The raw bytes between the double quotes (escapes not decoded).
    std::string_view name;
    /// How many digits made the running number overflow; each is worth one warning, accepted
    /// or not.
    unsigned overflows = 0;
    /// A line marker's flags: 1, a file begins; 2, back in the file that included it.
    bool enters = false;
    bool returns = false;
};

/// Parses `#line N`, `#line N "name"` or a line marker `# N "name" flags`; `name` points into
/// `analysis`. Refused as compilers refuse them: no digits, digits glued to other text, text
/// after the number that is not a quoted name.
[[nodiscard]] LineDirective Parse_Line_Directive(std::string_view analysis);
