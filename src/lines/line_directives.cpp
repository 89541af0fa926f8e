#include "lines/line_directives.h"

#include <cstdint>

namespace {

// The letter that follows the backslash in the escape of `c`, or 0 when `c` stands for itself.
char Escape_Letter(char c) {
    switch (c) {
        case '\a':
            return 'a';
        case '\b':
            return 'b';
        case '\t':
            return 't';
        case '\n':
            return 'n';
        case '\v':
            return 'v';
        case '\f':
            return 'f';
        case '\r':
            return 'r';
        case '"':
            return '"';
        case '\'':
            return '\'';
        case '\\':
            return '\\';
        default:
            return 0;
    }
}

void Append_Escaped(char c, std::string& out) {
    const char letter = Escape_Letter(c);
    if (letter != 0) {
        out.push_back('\\');
        out.push_back(letter);
    } else {
        out.push_back(c);
    }
}

enum class Form { none, named, comment };

// An included file is opened with a directive whenever line numbers are fixed up, named or with
// the name behind a comment.
Form Included_Form(const Options& options) {
    if (!options.fixup_line_numbers) return Form::none;
    return options.line_fixup_with_filename ? Form::named : Form::comment;
}

// An input file is opened with a directive when input names are asked for. Every input but the
// first also gets one where line numbers are fixed up, as an included file does: without it, its
// lines would be numbered on from the end of the input before it.
Form Opening_Form(std::size_t depth, bool first_input, const Options& options) {
    if (depth > 1) return Included_Form(options);
    if (options.specify_input_filenames) return Form::named;
    return first_input ? Form::none : Included_Form(options);
}

Form Resume_Form(std::size_t depth, const Options& options) {
    if (depth > 1) return Included_Form(options);
    if (options.specify_input_filenames) return Form::named;
    if (!options.fixup_line_numbers) return Form::none;
    // The file just left may have been named (-lnff); a comment form here would keep that name
    // for the input's own lines, so name the input whenever included files are named.
    return options.line_fixup_with_filename ? Form::named : Form::comment;
}

void Write_Directive(Form form, std::uint32_t line, const IncludeFrame& frame, OutputStream& output,
                     std::string& scratch) {
    if (form == Form::none) return;
    const char* name = Display_Path(frame.display_name, scratch);
    const unsigned number = line;
    if (form == Form::named) {
        output.Print("#line %u \"%s\"\n", number, name);
    } else {
        output.Print("#line %u // \"%s\"\n", number, name);
    }
}

}  // namespace

const char* Escape_C_String(const char* text, std::string& scratch) {
    scratch.clear();
    for (const char* p = text; *p != '\0'; ++p) Append_Escaped(*p, scratch);
    return scratch.c_str();
}

const char* Display_Path(const char* display_name, std::string& scratch) {
    // One pass: a backslash becomes a slash, which needs no escape.
    scratch.clear();
    for (const char* p = display_name; *p != '\0'; ++p) {
        Append_Escaped(*p == '\\' ? '/' : *p, scratch);
    }
    return scratch.c_str();
}

void Write_Opening_Line_Directive(const IncludeFrame& frame, std::size_t depth, bool first_input,
                                  const Options& options, OutputStream& output,
                                  std::string& scratch) {
    Write_Directive(Opening_Form(depth, first_input, options), 1, frame, output, scratch);
}

void Write_Resume_Line_Directive(const IncludeFrame& frame, std::size_t depth,
                                 const Options& options, OutputStream& output,
                                 std::string& scratch) {
    Write_Directive(Resume_Form(depth, options), frame.line_counter, frame, output, scratch);
    // The directive stands outside the comment that the frame's last line left open, so the
    // comment is reopened for the next line, unless that line reopens it itself.
    const std::string& next = frame.carried_text;
    const bool reopens_itself = next.size() >= 2 && next[0] == '/' && next[1] == '*';
    if (frame.scan.mode == ScanState::Mode::block_comment && !reopens_itself) output.Write("/*", 2);
}
