#pragma once

#include <cstddef>
#include <string>

#include "app/options.h"
#include "expand/include_frame.h"
#include "expand/output_stream.h"

/// Escapes `text` for a C string literal into `scratch` and returns its characters, valid until
/// `scratch` next changes. BEL, BS, TAB, LF, VT, FF, CR, '"', '\'' and '\\' get their backslash
/// escapes; every other byte is copied as it is.
const char* Escape_C_String(const char* text, std::string& scratch);

/// The form in which line directives name a file: `display_name` with every backslash turned
/// into a slash, then escaped. Uses `scratch` as `Escape_C_String` does.
const char* Display_Path(const char* display_name, std::string& scratch);

/// Writes the line directive due right after `frame` was opened (at stack depth `depth`, 1 for
/// an input file; `first_input` for the first input's own frame), or nothing when the options
/// call for none.
void Write_Opening_Line_Directive(const IncludeFrame& frame, std::size_t depth, bool first_input,
                                  const Options& options, OutputStream& output,
                                  std::string& scratch);

/// Writes the line directive due when `frame` is resumed (naming its `line_counter`), or
/// nothing, then "/*" when the frame is inside a block comment that its next line does not
/// itself reopen.
void Write_Resume_Line_Directive(const IncludeFrame& frame, std::size_t depth,
                                 const Options& options, OutputStream& output,
                                 std::string& scratch);
