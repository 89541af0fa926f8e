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

/// True when the analysis copy is an #else, #elif, #elifdef or #elifndef line.
[[nodiscard]] bool Is_Else_Directive(std::string_view analysis);

/// Records that every conditional block open in the includer encloses an expanded include.
void Register_Pending_Fix(IncludeFrame& includer);

/// Closes a conditional block at an #endif line of `frame`, warning on `err` about an #endif
/// without a block. True when a line fix is due after the directive.
[[nodiscard]] bool Close_Conditional(IncludeFrame& frame, FILE* err);

/// True when a line fix is due after an #else or #elif line of `frame`: an earlier branch of
/// its block expanded an include. The fix after the #endif stays due.
[[nodiscard]] bool Branch_Needs_Fix(const IncludeFrame& frame);

/// Writes the last line of a directive that owes a line fix, with its marker; the caller then
/// resumes the frame, which writes the fix. A block comment the line leaves open is closed
/// first, so that the fix is read; the resumption reopens it.
void Write_Fix_Marker(const IncludeFrame& frame, std::string_view source_line,
                      OutputStream& output);

/// The warnings about a file's conditionals and pending fixes when it ends, in that order.
void Check_End_Of_File(const IncludeFrame& frame, FILE* err);
