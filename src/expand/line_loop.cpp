#include "expand/line_loop.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "expand/comment_strip.h"
#include "expand/include_directive.h"
#include "expand/include_once.h"
#include "expand/plain_lines.h"
#include "expand/run_state.h"
#include "lines/conditionals.h"
#include "lines/follow_line_directive.h"
#include "lines/line_directives.h"

namespace {

enum class Opened { ready, skipped, failed };
enum class Leave { top, end_of_file, failed };
enum class Handled { next_line, top, failed };

// Copies the plain lines waiting in the top frame's read buffer in one piece.
void Copy_Plain_Lines(IncludeFrame& frame, OutputStream& output) {
    const std::string_view waiting = frame.file.Waiting();
    std::uint32_t lines = 0;
    const std::size_t size = Plain_Lines(waiting, lines);
    if (size == 0) return;
    output.Write(waiting.data(), size);
    frame.file.Skip_Lines(size);
    frame.line_counter += lines;
}

Opened Open_Top(RunState& state) {
    IncludeFrame& frame = state.stack.back();
    const std::size_t depth = state.stack.size();
    if (!frame.file.Open(frame.path)) {
        std::fprintf(state.console_err, "error: failed to open '%s'\n", frame.path);
        return Opened::failed;
    }
    // Reading the file being written would chase its own growth.
    if (Same_File(Get_File_Identity(frame.file.Stream()), state.output_identity)) {
        std::fprintf(state.console_err, "error: failed to open '%s': it is the output file\n",
                     frame.path);
        return Opened::failed;
    }
    frame.line_counter = 1;
    // A byte order mark is only valid at the very start of the joined text, so only the first
    // input's keeps it.
    if (frame.file.Skip_Byte_Order_Mark() && state.input_index == 0 && depth == 1) {
        state.output.Write("\xEF\xBB\xBF", 3);
    }
    const Options& options = state.options;
    if (options.include_once && (state.input_index != 0 || depth > 1)) {
        switch (Apply_Include_Once(state)) {
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
    Write_Opening_Line_Directive(frame, depth, state.input_index == 0, options, state.output,
                                 state.display_scratch);
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
Handled Write_Fixed_Directive(IncludeFrame& frame, std::string_view line, OutputStream& output) {
    if (frame.scan.spliced) {
        frame.fix_after_directive = true;
        output.Write_Line(line);
        return Handled::next_line;
    }
    frame.fix_after_directive = false;
    Write_Fix_Marker(frame, line, output);
    return Handled::top;
}

Handled Handle_Line(RunState& state, IncludeFrame& frame, std::string_view text) {
    OutputStream& output = state.output;
    // A line that continues a logical line, or holds no '#', cannot be a directive: it needs
    // only the scan, for what it leaves open and the literal check, not the analysis copy.
    if (!frame.scan.Directive_Possible() || std::memchr(text.data(), '#', text.size()) == nullptr) {
        if (!Check_Comments(text, frame.scan)) return Strip_Failed(state, frame);
        if (frame.fix_after_directive) return Write_Fixed_Directive(frame, text, output);
        output.Write_Line(text);
        return Handled::next_line;
    }
    // The directive steps work on the line in the run's line buffer.
    if (text.data() != state.line.data()) state.line.assign(text.data(), text.size());
    const std::string& line = state.line;
    if (!Strip_Comments(line, frame.scan, state.analysis, state.offsets)) {
        return Strip_Failed(state, frame);
    }
    const std::string& analysis = state.analysis;
    if (std::memchr(analysis.data(), '#', analysis.size()) == nullptr) {
        output.Write_Line(line);
    } else if (Is_If_Directive(analysis)) {
        ++frame.conditional_depth;
        output.Write_Line(line);
    } else if (Is_Endif_Directive(analysis)) {
        if (Close_Conditional(frame, state.console_err)) {
            return Write_Fixed_Directive(frame, line, output);
        }
        output.Write_Line(line);
    } else if (Is_Else_Directive(analysis)) {
        if (Branch_Needs_Fix(frame)) return Write_Fixed_Directive(frame, line, output);
        output.Write_Line(line);
    } else if (Follow_Line_Directive(frame, analysis, line, state.options.follow_line_directives,
                                     state.pool, state.console_err)) {
        output.Write_Line(line);
    } else {
        switch (Handle_Include(state)) {
            case IncludeResult::expanded:
                return Handled::top;
            case IncludeResult::failed:
                return Handled::failed;
            case IncludeResult::not_include:
            case IncludeResult::unrecognised:
                output.Write_Line(line);
                break;
        }
    }
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
                    continue;
                case Opened::ready:
                    break;
            }
        } else {
            Write_Resume_Line_Directive(stack.back(), stack.size(), state.options, state.output,
                                        state.display_scratch);
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
