#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "expand/include_frame.h"
#include "expand/line_map.h"
#include "expand/options.h"
#include "io/diagnostics.h"
#include "io/output_stream.h"
#include "io/string_pool.h"
#include "scan/line_directive.h"

// Line numbering of the joined text: the #line directives the tool writes where the origin of
// the text changes, the fixes owed after conditional directives whose blocks hold an include,
// and the #line directives of the inputs taken over into the frames' numbering.

/// Escapes `text` for a C string literal into `scratch` and returns its characters, valid until
/// `scratch` next changes. BEL, BS, TAB, LF, VT, FF, CR, '"', '\'' and '\\' get their backslash
/// escapes; every other byte is copied as it is.
const char* Escape_C_String(const char* text, std::string& scratch);

/// `path` as the `// #include` comment shows it, valid until `scratch` next changes: control
/// bytes escaped (the named ones as in C, others as \xNN), and a backslash that would splice the
/// next line into the comment written as \x5c.
const char* Comment_Path(std::string_view path, std::string& scratch);

/// The form in which line directives name a file: `display_name` with every backslash turned
/// into a slash, then escaped. Uses `scratch` as `Escape_C_String` does.
const char* Display_Path(const char* display_name, std::string& scratch);

/// Writes the line directives of a run into its output, in the forms the options choose.
class LineDirectiveWriter {
  public:
    LineDirectiveWriter(const Options& options, OutputStream& output)
        : options_(options), output_(output) {}

    /// The directive due right after `frame` was opened at stack depth `depth` (1 for an
    /// input's own frame, `first_input` for the first input's), or nothing.
    void Opening(const IncludeFrame& frame, std::size_t depth, bool first_input);
    /// The directive due when `frame` is resumed, naming its `line_counter`, or nothing; then
    /// "/*" when the frame is inside a block comment that its next line does not reopen itself.
    void Resume(const IncludeFrame& frame, std::size_t depth);
    /// Called before a #line line of `frame` that was just followed, which moved the numbering
    /// by `shift` (with `name` as the name it gave, or null; `old_name` the display name before).
    /// Inside a conditional block the compiler may skip it: a macro is defined beside it, so
    /// that the directives written later can ask whether it was followed.
    void Followed(IncludeFrame& frame, std::uint32_t shift, const char* name,
                  const char* old_name);
    /// With `map`, every run of output lines is entered into it, as the file and line it comes
    /// from or as the tool's own: the directives written here tell, and Tool and Source.
    void Keep_Map(LineMap* map) {
        map_ = map;
        if (map != nullptr) output_.Count_Lines();
    }
    /// The lines written from here on are the tool's own.
    void Tool() {
        if (map_ != nullptr) map_->Tool(output_.Line());
    }
    /// The lines written from here on are those of `frame` from line `line` on.
    void Source(const IncludeFrame& frame, std::uint32_t line);

    /// The last line of a directive that owes a line fix, with the fix marker; the caller then
    /// resumes the frame, which writes the fix. A block comment the line leaves open is closed
    /// first, so that the fix is read; the resumption reopens it.
    void Fix_Marker(const IncludeFrame& frame, std::string_view source_line);

  private:
    enum class Form { none, named, comment };
    Form Included_Form() const;
    void Write(Form form, std::uint32_t line, const IncludeFrame& frame);
    void Write_Uncertain(Form form, const IncludeFrame& frame);
    /// A display name as line directives show it, valid until the next call.
    const char* Shown(const char* display_name);

    const Options& options_;
    OutputStream& output_;
    std::string scratch_;
    std::string mapped_;
    unsigned markers_ = 0;
    LineMap* map_ = nullptr;
};

/// Records that every conditional block open in the includer encloses an expanded include: the
/// pasted text shifts the numbering of what follows each of them.
void Register_Pending_Fix(IncludeFrame& includer);

/// True when a line fix is due after an #endif line of `frame`, which is taken as spent; called
/// before the block is closed.
[[nodiscard]] bool Fix_Due_At_Endif(IncludeFrame& frame);

/// True when a line fix is due after an #else or #elif line of `frame`: an earlier branch of
/// its block expanded an include. The fix after the #endif stays due.
[[nodiscard]] bool Branch_Needs_Fix(const IncludeFrame& frame);

/// The warning about the fixes a file still owes when it ends.
void Check_Fixes_At_End(const IncludeFrame& frame, Diagnostics& diagnostics);

/// Takes a #line line or line marker of the input over into the frame: with `follow`, one the
/// compiler follows sets the frame's line counter and, when it names a file, its display name
/// (pooled); the frame's path never changes. True when it was followed. The overflow warnings
/// are printed with `follow` on or off.
bool Follow_Line_Directive(IncludeFrame& frame, const LineDirective& directive,
                           std::string_view source_line, bool follow, StringPool& pool,
                           Diagnostics& diagnostics);
