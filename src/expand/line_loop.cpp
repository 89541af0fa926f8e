#include "expand/line_loop.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "expand/run_state.h"
#include "scan/directive.h"
#include "scan/line_scan.h"
#include "scan/plain_lines.h"

namespace {

enum class Opened { ready, skipped, failed };
enum class Leave { top, end_of_file, failed };
enum class Handled { next_line, top, failed };

// Copies the plain lines waiting in the frame's read buffer in one piece.
void Copy_Plain_Lines(IncludeFrame& frame, OutputStream& output) {
    const std::string_view waiting = frame.file.Waiting();
    std::uint32_t lines = 0;
    const std::size_t size = Plain_Lines(waiting, lines);
    if (size == 0) return;
    output.Write(waiting.data(), size);
    frame.file.Skip_Lines(size);
    frame.line_counter += lines;
}

bool Is_Space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Whether the text before a directive holds anything but whitespace.
bool Has_Text(std::string_view text) {
    for (const char c : text) {
        if (!Is_Space(c)) return true;
    }
    return false;
}

Opened Open_Top(RunState& state) {
    IncludeFrame& frame = state.stack.back();
    const std::size_t depth = state.stack.size();
    if (!frame.file.Open(frame.path, &state.idle_files)) {
        std::fprintf(state.console_err, "error: failed to open '%s'\n", frame.path);
        return Opened::failed;
    }
    // Reading the file being written would chase its own growth.
    if (Same_File(frame.file.Identity(), state.output_identity)) {
        std::fprintf(state.console_err, "error: failed to open '%s': it is the output file\n",
                     frame.path);
        return Opened::failed;
    }
    frame.line_counter = 1;
    const bool first_input = state.input_index == 0 && depth == 1;
    // A byte order mark is only valid at the very start of the joined text, so only the first
    // input's keeps it.
    if (frame.file.Skip_Byte_Order_Mark() && first_input) state.output.Write("\xEF\xBB\xBF", 3);
    const Options& options = state.options;
    if (options.include_once && !first_input) {
        const OnceContext context{state.guards, state.output,
                                  options.verbose ? state.console_out : nullptr, state.console_err,
                                  state.guard_text};
        switch (Apply_Include_Once(frame, depth, context)) {
            case OnceResult::skipped:
                return Opened::skipped;
            case OnceResult::failed:
                return Opened::failed;
            case OnceResult::guarded:
                break;
        }
    } else if (options.verbose && depth > 1) {
        std::fprintf(state.console_out, "%*srecursing to '%s' (resolved as '%s')\n",
                     static_cast<int>(4 * (depth - 1)), "", frame.display_name, frame.path);
    }
    state.lines.Opening(frame, depth, first_input);
    return Opened::ready;
}

Handled Strip_Failed(const RunState& state, const IncludeFrame& frame) {
    std::fprintf(state.console_err, "error: '%s' line %u: failed to strip comments\n", frame.path,
                 frame.line_counter - 1);
    return Handled::failed;
}

// Writes a directive line that owes a line fix: with its marker when it is the directive's last
// line, or as it is when a backslash-newline carries the directive on (the fix then follows the
// line that ends it).
Handled Write_Fixed_Directive(RunState& state, IncludeFrame& frame, std::string_view line) {
    frame.fix_after_directive = frame.scan.spliced;
    if (frame.fix_after_directive) {
        state.output.Write_Line(line);
        return Handled::next_line;
    }
    state.lines.Fix_Marker(frame, line);
    return Handled::top;
}

// The analysis of one line: the copy directives are recognised on, and where each of its bytes
// came from in the line.
struct Analysis {
    const std::string& copy;
    const std::vector<std::uint32_t>& offsets;
};

// An include `line` of the top frame: resolves the name, pushes the frame of the file, writes
// what replaces the line and carries the text after the directive over to the includer's next
// line.
Handled Expand_Include(RunState& state, std::string_view line, Analysis analysis,
                       const IncludeSyntax& syntax) {
    IncludeFrame& includer = state.stack.back();
    const std::string& name =
        state.pool.Intern(std::string_view(analysis.copy)
                              .substr(syntax.name_begin, syntax.name_end - syntax.name_begin));
    const std::int32_t limit = state.options.max_include_recurse;
    if (limit > 0 && state.stack.size() == static_cast<std::size_t>(limit)) {
        std::fprintf(state.console_err, "error: '%s' line %u: maximum include recursion exceeded\n",
                     includer.path, includer.line_counter - 1);
        return Handled::failed;
    }
    const char* resolved = state.resolver.Resolve(name, syntax.angle, includer, state.console_err);
    if (resolved == nullptr) return Handled::failed;

    Register_Pending_Fix(includer);
    // Text before the directive stays, with a space before the comment that replaces it.
    OutputStream& output = state.output;
    const std::uint32_t hash = analysis.offsets[syntax.hash];
    if (Has_Text(line.substr(0, hash))) {
        output.Write(line.data(), hash);
        output.Put(' ');
    }
    // The rest of the line after the closing delimiter comes back as the includer's next line,
    // under the include line's own number.
    const std::size_t rest = std::size_t{analysis.offsets[syntax.name_end]} + 1;
    if (rest < line.size()) {
        includer.carried_text.assign(line.substr(rest));
        --includer.line_counter;
    }
    output.Print("// #include %s\n", resolved);
    state.stack.emplace_back(resolved);
    state.stack.back().display_name = name.c_str();
    return Handled::top;
}

Handled Handle_Line(RunState& state, IncludeFrame& frame, std::string_view text) {
    OutputStream& output = state.output;
    // A line that continues a logical line, or holds no '#', cannot be a directive: it needs
    // only the scan, for what it leaves open and the literal check, not the analysis copy.
    if (!frame.scan.Directive_Possible() || std::memchr(text.data(), '#', text.size()) == nullptr) {
        if (!Check_Comments(text, frame.scan)) return Strip_Failed(state, frame);
        if (frame.fix_after_directive) return Write_Fixed_Directive(state, frame, text);
        output.Write_Line(text);
        return Handled::next_line;
    }
    // The directive steps work on the line in the run's line buffer.
    if (text.data() != state.line.data()) state.line.assign(text.data(), text.size());
    const std::string& line = state.line;
    if (!Strip_Comments(line, frame.scan, state.analysis, state.offsets)) {
        return Strip_Failed(state, frame);
    }
    const Directive directive = Classify_Directive(state.analysis);
    switch (directive.kind) {
        case DirectiveKind::none:
            break;
        case DirectiveKind::if_open:
            ++frame.conditional_depth;
            break;
        case DirectiveKind::endif:
            if (Close_Conditional(frame, state.console_err)) {
                return Write_Fixed_Directive(state, frame, line);
            }
            break;
        case DirectiveKind::branch:
            if (Branch_Needs_Fix(frame)) return Write_Fixed_Directive(state, frame, line);
            break;
        case DirectiveKind::line:
            Follow_Line_Directive(frame, Parse_Line_Directive(state.analysis), line,
                                  state.options.follow_line_directives, state.pool,
                                  state.console_err);
            break;
        case DirectiveKind::include:
            return Expand_Include(state, line, {state.analysis, state.offsets}, directive.include);
        case DirectiveKind::bad_include:
            std::fprintf(state.console_err,
                         "warning: '%s' line %u: did not understand #include directive: '%s'\n",
                         frame.path, frame.line_counter - 1, line.c_str());
            break;
    }
    output.Write_Line(line);
    return Handled::next_line;
}

// Takes the lines of the top frame until its file ends or another frame must be looked at.
Leave Take_Lines(RunState& state) {
    IncludeFrame& frame = state.stack.back();
    for (;;) {
        std::string_view text;
        if (frame.carried_text.empty()) {
            if (frame.scan.At_Rest()) Copy_Plain_Lines(frame, state.output);
            if (frame.file.At_End()) return Leave::end_of_file;
            if (!frame.file.Read_Line(text, state.line)) {
                std::fprintf(state.console_err, "error: failed to read '%s'\n", frame.path);
                return Leave::failed;
            }
            // The empty piece after the last line feed is not a line.
            if (text.empty() && frame.file.At_End()) return Leave::end_of_file;
        } else {
            state.line.swap(frame.carried_text);
            frame.carried_text.clear();
            text = state.line;
        }
        ++frame.line_counter;
        switch (Handle_Line(state, frame, text)) {
            case Handled::next_line:
                break;
            // An include may have pushed a frame, so `frame` is not touched again.
            case Handled::top:
                return Leave::top;
            case Handled::failed:
                return Leave::failed;
        }
    }
}

[[nodiscard]] bool Close_Top(RunState& state) {
    IncludeFrame& frame = state.stack.back();
    Check_End_Of_File(frame, state.console_err);
    if (frame.file.Failed()) {
        std::fprintf(state.console_err, "error: I/O error while reading '%s'\n", frame.path);
        return false;
    }
    state.stack.pop_back();
    return true;
}

}  // namespace

bool Expand_Input(RunState& state) {
    IncludeStack& stack = state.stack;
    for (;;) {
        if (stack.empty()) return true;
        if (!stack.back().file.Is_Open()) {
            switch (Open_Top(state)) {
                case Opened::failed:
                    return false;
                case Opened::skipped:
                    // Nothing of an included-once file is read again: its includer goes on.
                    stack.pop_back();
                    continue;
                case Opened::ready:
                    break;
            }
        } else {
            state.lines.Resume(stack.back(), stack.size());
        }
        switch (Take_Lines(state)) {
            case Leave::failed:
                return false;
            case Leave::top:
                break;
            case Leave::end_of_file:
                if (!Close_Top(state)) return false;
                break;
        }
    }
}
