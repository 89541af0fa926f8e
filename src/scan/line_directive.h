#pragma once

#include <cstdint>
#include <string_view>

/// What the parse of the analysis copy of a #line line found.
struct LineDirective {
    bool accepted = false;
    /// The decimal digits behind "line", modulo 2^32; 0 when there are none.
    std::uint32_t number = 0;
    /// The raw bytes between the double quotes (escapes not decoded); empty when none.
    std::string_view name;
    /// How many digits made the running number overflow; each is worth one warning, accepted
    /// or not.
    unsigned overflows = 0;
};

/// Parses a #line line; `name` points into `analysis`. Accepted: "#line", whitespace, digits,
/// then the end, whitespace alone, a byte that is neither, or whitespace and a quoted name
/// (anything after it ignored); text without quotes after the number is refused.
[[nodiscard]] LineDirective Parse_Line_Directive(std::string_view analysis);
