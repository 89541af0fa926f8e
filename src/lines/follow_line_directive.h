#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "expand/include_frame.h"
#include "expand/string_pool.h"

/// True exactly when `sscanf(text, " # line %u", &n)` would convert a value: optional
/// whitespace, '#', optional whitespace, "line", optional whitespace, an optional sign and a
/// digit. As for sscanf, a NUL byte ends the text.
[[nodiscard]] bool Is_Line_Directive(std::string_view text);

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

/// Parses a #line line; `name` points into `analysis`. Pure: no output, no allocation.
[[nodiscard]] LineDirective Parse_Line_Directive(std::string_view analysis);

/// True when the analysis copy is a #line line (the caller then writes the source line
/// unchanged). With `follow` on, an accepted directive sets the frame's line counter and, when
/// it names a file, its display name (pooled); the frame's path never changes. Prints the
/// overflow warning on `err`, with `follow` on or off.
[[nodiscard]] bool Follow_Line_Directive(IncludeFrame& frame, std::string_view analysis,
                                         std::string_view source_line, bool follow,
                                         StringPool& pool, FILE* err);
