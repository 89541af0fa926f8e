#include "expand/line_loop.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "expand/frame_file.h"
#include "expand/path_map.h"
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

// Finds the record of the file `frame` holds, or makes one with `create`, into `frame.once`.
// False after printing the error when its key cannot be made.
[[nodiscard]] bool Find_Once_Record(RunState& state, IncludeFrame& frame, bool create) {
    if (!Guard_Key(frame.path, state.guard_key)) {
        state.diagnostics.Error("failed to make absolute path '%s'", frame.path);
        return false;
    }
    GuardTable& guards = state.guards;
    auto found = guards.files.find(state.guard_key);
    if (found == guards.files.end()) {
        if (!create) return true;
        found = guards.files.emplace(state.guard_key, OnceRecord()).first;
        found->second.key = &found->first;
    }
    frame.once = &found->second;
    return true;
}

// Whether the compiler is sure to drop the expansion `frame` was opened for: a #pragma once of
// the file or its include guard has taken effect before it, whatever the macros.
bool Dropped_By_Compiler(const RunState& state, const IncludeFrame& frame) {
    const OnceRecord& record = *frame.once;
    if (record.pragma_proven) return true;
    if (!record.pragma_guard.empty()) {
        // An open copy of the file that has passed its pragma ends the recursion there.
        for (const IncludeFrame& open : state.stack) {
            if (&open != &frame && open.once == frame.once && open.passed_pragma) return true;
        }
    }
    return state.options.skip_guarded && record.guard_proven &&
           state.guards.undefined.count(record.guard_macro) == 0;
}

Opened Open_Top(RunState& state) {
    IncludeFrame& frame = state.stack.back();
    const std::size_t depth = state.stack.size();
    if (!Open_Frame_File(state, frame)) return Opened::failed;
    frame.line_counter = 1;
    const bool first_input = state.input_index == 0 && depth == 1;
    // A byte order mark is only valid at the very start of the joined text, so only the first
    // input's keeps it.
    if (frame.file.Skip_Byte_Order_Mark() && first_input) state.output.Write("\xEF\xBB\xBF", 3);
    const Options& options = state.options;
    const bool include_once = options.include_once && !first_input;
    // Only files met before can be dropped; with -sg every file is watched for a guard.
    const bool keyed = include_once || options.skip_guarded || !state.guards.files.empty();
    if (keyed && !Find_Once_Record(state, frame, options.skip_guarded)) return Opened::failed;
    if (frame.once != nullptr && Dropped_By_Compiler(state, frame)) {
        Report_Include(state.diagnostics, "skipping", frame, depth);
        return Opened::skipped;
    }
    if (include_once) {
        const OnceContext context{state.guards, state.output, state.diagnostics, state.guard_text,
                                  options.path_prefix_map};
        switch (Apply_Include_Once(frame, state.guard_key, depth, context)) {
            case OnceResult::skipped:
                return Opened::skipped;
            case OnceResult::failed:
                return Opened::failed;
            case OnceResult::guarded:
                break;
        }
    } else {
        Report_Include(state.diagnostics, "recursing to", frame, depth);
    }
    if (frame.once != nullptr) {
        // A file whose #pragma once may not have been compiled yet is expanded again, in a block
        // that its pragma closes, so the compiler keeps exactly one copy.
        if (!frame.once->pragma_guard.empty()) {
            state.output.Print("#ifndef %s\n", frame.once->pragma_guard.c_str());
            frame.wrapped = true;
        }
        // Every expansion is watched: the guard block of one that is compiled for sure makes
        // what it includes compiled for sure.
        if (options.skip_guarded) frame.guard_watch = GuardWatch::before;
    }
    state.lines.Opening(frame, depth, first_input);
    return Opened::ready;
}

Handled Strip_Failed(const RunState& state, const IncludeFrame& frame) {
    state.diagnostics.Error_At(frame.path, frame.line_counter - 1, "failed to strip comments");
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

// Follows the shape of an include guard over one line of `frame`, given what it holds.
void Watch_Guard(IncludeFrame& frame, const Directive& directive, std::string_view analysis,
                 const GuardTable& guards) {
    switch (frame.guard_watch) {
        case GuardWatch::off:
            return;
        case GuardWatch::before:
            if (directive.kind == DirectiveKind::if_open && !directive.macro.empty()) {
                frame.guard_macro.assign(directive.macro);
                frame.guard_watch = GuardWatch::opened;
                // No text before defines the macro, so the block is entered: only a definition
                // from outside the sources (a -D of the guard's own macro) could skip it.
                frame.trusted_guard = guards.defined.count(directive.macro) == 0;
            } else if (Has_Text(analysis)) {
                frame.guard_watch = GuardWatch::off;
            }
            return;
        case GuardWatch::opened:
        case GuardWatch::inside:
            // Only the guard block's own directives matter here: its #define of the macro, and
            // its #else, #elif and #endif.
            if (frame.conditional_depth != 1) return;
            if (directive.kind == DirectiveKind::define && directive.macro == frame.guard_macro) {
                frame.guard_watch = GuardWatch::inside;
            } else if (directive.kind == DirectiveKind::branch) {
                frame.guard_watch = GuardWatch::off;
            } else if (directive.kind == DirectiveKind::endif) {
                frame.guard_watch =
                    frame.guard_watch == GuardWatch::inside ? GuardWatch::after : GuardWatch::off;
            }
            return;
        case GuardWatch::after:
            if (Has_Text(analysis)) frame.guard_watch = GuardWatch::off;
            return;
    }
}

// Whether the line being read in `frame` is compiled whenever the file's text is: outside every
// conditional block of the file but its trusted include guard.
bool Outside_Conditionals(const IncludeFrame& frame) {
    if (frame.conditional_depth == 0) return true;
    // Only past the guard's #define: a block that tests a macro it never defines is a
    // configuration switch, which the compiler may well be given.
    return frame.conditional_depth == 1 && frame.trusted_guard &&
           frame.guard_watch == GuardWatch::inside;
}

// Whether every line of `frame` must be analysed for the guard watch, not only directives.
bool Watches_Every_Line(const IncludeFrame& frame) {
    return frame.guard_watch == GuardWatch::before || frame.guard_watch == GuardWatch::after;
}

// A #pragma once `line` of the top frame: written as the definition of the macro that stands
// for it, which the compiler accepts in any file and a later expansion of the file tests.
Handled Write_Pragma_Once(RunState& state, IncludeFrame& frame, std::string_view line,
                          const Directive& directive) {
    if (frame.once == nullptr && !Find_Once_Record(state, frame, true)) return Handled::failed;
    OnceRecord& record = *frame.once;
    if (record.pragma_guard.empty()) {
        record.pragma_guard = Issue_Guard_Name(state.guards, *record.key, "ONCE_",
                                               state.options.path_prefix_map, state.diagnostics);
    }
    if (Outside_Conditionals(frame)) {
        frame.passed_pragma = true;
        if (frame.unconditional) record.pragma_proven = true;
    }
    const std::size_t begin = state.offsets[directive.begin];
    const std::size_t end = std::size_t{state.offsets[directive.end - 1]} + 1;
    state.output.Write(line.data(), begin);
    state.output.Print("#define %s", record.pragma_guard.c_str());
    state.output.Write_Line(line.substr(end));
    return Handled::next_line;
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
        state.diagnostics.Error_At(includer.path, includer.line_counter - 1,
                                   "maximum include recursion exceeded");
        return Handled::failed;
    }
    bool not_found = false;
    const char* resolved =
        state.resolver.Resolve(name, syntax.angle, includer, state.diagnostics, not_found);
    if (resolved == nullptr && not_found && state.options.keep_unresolved_includes) {
        state.diagnostics.Report(static_cast<unsigned>(state.stack.size()),
                                 "leaving %c%s%c to the compiler: not found",
                                 syntax.angle ? '<' : '"', name.c_str(), syntax.angle ? '>' : '"');
        state.output.Write_Line(line);
        return Handled::next_line;
    }
    if (not_found) {
        state.diagnostics.Error_At(includer.path, includer.line_counter - 1,
                                   "failed to resolve include of '%s': file not found",
                                   name.c_str());
    }
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
    output.Print("// #include %s\n",
                 Map_Path(resolved, state.options.path_prefix_map, state.guard_text).data());
    const bool unconditional =
        includer.unconditional && !includer.wrapped && Outside_Conditionals(includer);
    state.stack.emplace_back(resolved);
    IncludeFrame& included = state.stack.back();
    included.display_name = name.c_str();
    included.unconditional = unconditional;
    return Handled::top;
}

Handled Handle_Line(RunState& state, IncludeFrame& frame, std::string_view text) {
    OutputStream& output = state.output;
    // A line that continues a logical line, or holds no '#', cannot be a directive: it needs
    // only the scan, for what it leaves open and the literal check, not the analysis copy,
    // unless the guard watch must see whether it holds code.
    const bool may_be_directive =
        frame.scan.Directive_Possible() && std::memchr(text.data(), '#', text.size()) != nullptr;
    if (!may_be_directive && !Watches_Every_Line(frame)) {
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
    const Directive directive = may_be_directive ? Classify_Directive(state.analysis) : Directive{};
    Watch_Guard(frame, directive, state.analysis, state.guards);
    if (frame.fix_after_directive) return Write_Fixed_Directive(state, frame, line);
    switch (directive.kind) {
        case DirectiveKind::none:
            break;
        case DirectiveKind::define:
            if (state.options.skip_guarded) state.guards.defined.emplace(directive.macro);
            break;
        case DirectiveKind::if_open:
            ++frame.conditional_depth;
            break;
        case DirectiveKind::endif:
            if (Close_Conditional(frame, state.diagnostics)) {
                return Write_Fixed_Directive(state, frame, line);
            }
            break;
        case DirectiveKind::branch:
            if (Branch_Needs_Fix(frame)) return Write_Fixed_Directive(state, frame, line);
            break;
        case DirectiveKind::line: {
            const LineDirective parsed = Parse_Line_Directive(state.analysis);
            const std::uint32_t old_number = frame.line_counter;
            const char* old_name = frame.display_name;
            const bool follow = state.options.follow_line_directives;
            Follow_Line_Directive(frame, parsed, line, follow, state.pool, state.diagnostics);
            if (follow && parsed.accepted) {
                state.lines.Followed(frame, std::int64_t{frame.line_counter} - old_number,
                                     parsed.name.empty() ? nullptr : frame.display_name, old_name);
            }
            break;
        }
        case DirectiveKind::include:
            return Expand_Include(state, line, {state.analysis, state.offsets}, directive.include);
        case DirectiveKind::bad_include:
            state.diagnostics.Warning_At(frame.path, frame.line_counter - 1,
                                         "did not understand #include directive: '%s'",
                                         line.c_str());
            break;
        case DirectiveKind::undef:
            if (state.options.skip_guarded) state.guards.undefined.emplace(directive.macro);
            break;
        case DirectiveKind::pragma_once:
            // Continued onto the next line, it is no longer a plain #pragma once.
            if (frame.scan.spliced) break;
            return Write_Pragma_Once(state, frame, line, directive);
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
            if (frame.scan.At_Rest() && !Watches_Every_Line(frame)) {
                Copy_Plain_Lines(frame, state.output);
            }
            if (frame.file.At_End()) return Leave::end_of_file;
            if (!frame.file.Read_Line(text, state.line)) {
                Report_Read_Failure(state, frame);
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
        // A run that outgrows its budget ends here; the caller reports it.
        if (state.output.Over_Limit()) return Leave::failed;
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

// What an expansion that ends proves about its file: a file whose text is wrapped whole in an
// include guard, or whose #pragma once closed the block of the tool's own around it, is dropped
// by the compiler from now on if this expansion is compiled for sure.
void Record_Guard(OnceRecord& record, const IncludeFrame& frame, bool watched) {
    if (watched && !record.shape_known) {
        record.shape_known = true;
        if (frame.guard_watch == GuardWatch::after) record.guard_macro = frame.guard_macro;
    }
    if (!frame.unconditional) return;
    if (!record.guard_macro.empty()) record.guard_proven = true;
    if (frame.wrapped) record.pragma_proven = true;
}

[[nodiscard]] bool Close_Top(RunState& state) {
    IncludeFrame& frame = state.stack.back();
    Check_End_Of_File(frame, state.diagnostics);
    if (frame.file.Failed()) {
        state.diagnostics.Error("I/O error while reading '%s'", frame.path);
        return false;
    }
    if (frame.wrapped) state.output.Print("#endif // %s\n", frame.once->pragma_guard.c_str());
    if (frame.once != nullptr) Record_Guard(*frame.once, frame, state.options.skip_guarded);
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
