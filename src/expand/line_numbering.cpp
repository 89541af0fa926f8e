#include "expand/line_numbering.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>

#include "expand/path_map.h"

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

}  // namespace

const char* Escape_C_String(const char* text, std::string& scratch) {
    scratch.clear();
    for (const char* p = text; *p != '\0'; ++p) Append_Escaped(*p, scratch);
    return scratch.c_str();
}

const char* Comment_Path(std::string_view path, std::string& scratch) {
    scratch.clear();
    for (const char c : path) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            scratch.push_back(c);
        } else if (Escape_Letter(c) != 0) {
            Append_Escaped(c, scratch);
        } else {
            static const char kHex[] = "0123456789abcdef";
            scratch += "\\x";
            scratch.push_back(kHex[byte >> 4]);
            scratch.push_back(kHex[byte & 15]);
        }
    }
    // A backslash with only blanks after it would splice the next line into the comment.
    std::size_t end = scratch.size();
    while (end > 0 && scratch[end - 1] == ' ') --end;
    if (end > 0 && scratch[end - 1] == '\\') scratch.replace(end - 1, 1, "\\x5c");
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

// An included file is announced whenever line numbers are fixed up, named or with the name
// behind a comment, which keeps the compiler's file name.
LineDirectiveWriter::Form LineDirectiveWriter::Included_Form() const {
    if (!options_.fixup_line_numbers) return Form::none;
    return options_.line_fixup_with_filename ? Form::named : Form::comment;
}

void LineDirectiveWriter::Source(const IncludeFrame& frame, std::uint32_t line) {
    if (map_ == nullptr) return;
    map_->Source(output_.Line(), Map_Path(frame.display_name, options_.path_prefix_map, mapped_),
                 line);
}

void LineDirectiveWriter::Opening(const IncludeFrame& frame, std::size_t depth, bool first_input) {
    Tool();
    Form form = Included_Form();
    // An input is named when input names are asked for. Every input but the first starts its
    // own numbering as an included file does: without it, its lines would be numbered on from
    // the end of the input before it.
    if (depth <= 1 && options_.specify_input_filenames) {
        form = Form::named;
    } else if (depth <= 1 && first_input) {
        form = Form::none;
    }
    Write(form, 1, frame);
    Source(frame, 1);
}

void LineDirectiveWriter::Resume(const IncludeFrame& frame, std::size_t depth) {
    // An input going on after a named included file is named too: the comment form would keep
    // the included file's name for the input's own lines.
    const Form form =
        depth <= 1 && options_.specify_input_filenames ? Form::named : Included_Form();
    Tool();
    if (frame.uncertain_lines.empty() || form == Form::none) {
        Write(form, frame.line_counter, frame);
    } else {
        Write_Uncertain(form, frame);
    }
    // The directive stands outside the comment that the frame's last line left open, so the
    // comment is reopened for the next line, unless that line reopens it itself.
    const std::string& next = frame.carried_text;
    const bool reopens_itself = next.size() >= 2 && next[0] == '/' && next[1] == '*';
    Source(frame, frame.line_counter);
    if (frame.scan.mode == ScanState::Mode::block_comment && !reopens_itself) {
        output_.Write("/*", 2);
    }
}

void LineDirectiveWriter::Followed(IncludeFrame& frame, std::uint32_t shift, const char* name,
                                   const char* old_name) {
    if (frame.conditional_depth == 0) {
        // Followed wherever the file is compiled: the number no longer depends on what came
        // before, and the name only where it gives none.
        std::vector<UncertainLine>& lines = frame.uncertain_lines;
        if (name != nullptr) lines.clear();
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [](const UncertainLine& line) { return line.name == nullptr; }),
                    lines.end());
        for (UncertainLine& line : lines) line.shift = 0;
        return;
    }
    if (Included_Form() == Form::none && !options_.specify_input_filenames) return;
    if (frame.uncertain_lines.empty()) frame.certain_name = old_name;
    frame.uncertain_lines.push_back({++markers_, shift, name});
    Tool();
    output_.Print("#define __LINE_DIRECTIVE_%u\n", markers_);
    // The #line line itself follows; it holds nothing a message could be about.
    Source(frame, frame.line_counter - 1);
    // The line is counted where the block is skipped too, as a pasted file's lines are.
    Register_Pending_Fix(frame);
}

// The numbering after a file's #line directives in conditional blocks depends on which of them
// the compiler followed: the last one it followed sets the number, the last named one among
// those the name. Each case defines the directive's arguments, the most recent first, and one
// #line takes them, so that the lines of the choice itself need no counting.
void LineDirectiveWriter::Write_Uncertain(Form form, const IncludeFrame& frame) {
    const std::vector<UncertainLine>& lines = frame.uncertain_lines;
    const char* keyword = "#if";
    const auto write_case = [&](std::size_t last, std::size_t named, std::uint32_t number,
                                const char* name) {
        output_.Print("%s defined(__LINE_DIRECTIVE_%u)", keyword, lines[last].marker);
        if (named != last) output_.Print(" && defined(__LINE_DIRECTIVE_%u)", lines[named].marker);
        keyword = "#elif";
        output_.Print("\n#define __LINE_DIRECTIVE %u", static_cast<unsigned>(number));
        if (form == Form::named) output_.Print(" \"%s\"", Shown(name));
        output_.Put('\n');
    };
    output_.Write("#undef __LINE_DIRECTIVE\n");
    // Line numbers wrap around as the compiler's do.
    std::uint32_t number = frame.line_counter;
    for (std::size_t last = lines.size(); last-- > 0;) {
        if (form == Form::named && lines[last].name == nullptr) {
            // The name comes from the last named directive followed before it, or from before
            // all of them.
            for (std::size_t named = last; named-- > 0;) {
                if (lines[named].name != nullptr) {
                    write_case(last, named, number, lines[named].name);
                }
            }
            write_case(last, last, number, frame.certain_name);
        } else {
            write_case(last, last, number, lines[last].name);
        }
        number -= lines[last].shift;
    }
    output_.Print("#else\n#define __LINE_DIRECTIVE %u", static_cast<unsigned>(number));
    if (form == Form::named) output_.Print(" \"%s\"", Shown(frame.certain_name));
    output_.Write("\n#endif\n#line __LINE_DIRECTIVE");
    if (form == Form::comment) output_.Print(" // \"%s\"", Shown(frame.display_name));
    output_.Put('\n');
}

void LineDirectiveWriter::Fix_Marker(const IncludeFrame& frame, std::string_view source_line) {
    output_.Write(source_line);
    if (frame.scan.mode == ScanState::Mode::block_comment) output_.Write(" */", 3);
    output_.Write(" // about to fix after-include-line\n");
}

const char* LineDirectiveWriter::Shown(const char* display_name) {
    return Display_Path(Map_Path(display_name, options_.path_prefix_map, mapped_).data(), scratch_);
}

void LineDirectiveWriter::Write(Form form, std::uint32_t line, const IncludeFrame& frame) {
    if (form == Form::none) return;
    const char* name = Shown(frame.display_name);
    // Written at every include and every return from one: put together without formatting.
    char digits[16];
    const char* const end = std::to_chars(digits, digits + sizeof digits, line).ptr;
    output_.Write_Pieces({"#line ",
                          std::string_view(digits, static_cast<std::size_t>(end - digits)),
                          form == Form::named ? " \"" : " // \"", name, "\"\n"});
}

void Register_Pending_Fix(IncludeFrame& includer) {
    // Every enclosing block owes a fix, since a compiler that skips an outer block never sees
    // the fixes of the inner ones.
    if (includer.conditional_depth > includer.pending_fixes) {
        includer.pending_fixes = includer.conditional_depth;
    }
}

bool Fix_Due_At_Endif(IncludeFrame& frame) {
    // The blocks that owe a fix are the outermost ones, so the block closed owes one exactly
    // when all the open blocks do.
    const bool due = frame.conditional_depth > 0 && frame.pending_fixes == frame.conditional_depth;
    if (due) --frame.pending_fixes;
    return due;
}

bool Branch_Needs_Fix(const IncludeFrame& frame) {
    return frame.conditional_depth > 0 && frame.pending_fixes == frame.conditional_depth;
}

void Check_Fixes_At_End(const IncludeFrame& frame, Diagnostics& diagnostics) {
    if (frame.pending_fixes != 0) {
        diagnostics.Warning(
            "unresolved line number fixes after conditional includes in '%s': line numbers may "
            "not match source",
            frame.path);
    }
}

bool Follow_Line_Directive(IncludeFrame& frame, const LineDirective& directive,
                           std::string_view source_line, bool follow, StringPool& pool,
                           Diagnostics& diagnostics) {
    const unsigned line = frame.line_counter - 1;
    const int shown = source_line.size() > INT_MAX ? INT_MAX : static_cast<int>(source_line.size());
    for (unsigned i = 0; i < directive.overflows; ++i) {
        diagnostics.Warning_At(frame.path, line, "integral constant overflow: '%.*s'", shown,
                               source_line.data());
    }
    if (!directive.accepted || !follow) return false;
    if (directive.returns) {
        // A marker that returns to a file is followed only back into the file that the last
        // marker which entered one left.
        std::vector<const char*>& entered = frame.entered_names;
        if (entered.empty() || directive.name != entered.back()) return false;
        entered.pop_back();
    }
    if (directive.enters) frame.entered_names.push_back(frame.display_name);
    frame.line_counter = directive.number;
    if (directive.has_name) frame.display_name = pool.Intern(directive.name).c_str();
    return true;
}
