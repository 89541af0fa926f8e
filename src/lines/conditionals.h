#pragma once

#include <cstdio>
#include <string_view>

#include "expand/include_frame.h"
#include "expand/output_stream.h"

/// True when the analysis copy is an #if, #ifdef or #ifndef line: optional whitespace, '#',
/// optional whitespace, the keyword, then at least one byte that is not an ASCII letter or digit.
[[nodiscard]] bool Is_If_Directive(std::string_view analysis);

/// True when the analysis copy is an #endif line; unlike the #if test, the keyword may end the
/// copy.
[[nodiscard]] bool Is_Endif_Directive(std::string_view analysis);

/// Records the includer's conditional depth, when above zero, as a pending line fix; the list
/// stays ascending and holds each depth once.
void Register_Pending_Fix(IncludeFrame& includer);

enum class EndifAction {
    write_line,  ///< the caller writes the source line unchanged
    restart,     ///< the line was written with its fix marker; resume the frame
};

/// Closes a conditional block at the #endif line `source_line` of `frame`. Prints its warnings on
/// `err`; writes the line itself when a deferred fix is due.
[[nodiscard]] EndifAction Close_Conditional(IncludeFrame& frame, std::string_view source_line,
                                            OutputStream& output, FILE* err);

/// The warnings about a file's conditionals and pending fixes when it ends, in that order.
void Check_End_Of_File(const IncludeFrame& frame, FILE* err);
