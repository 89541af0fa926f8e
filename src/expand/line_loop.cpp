#include "expand/line_loop.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "expand/frame_file.h"
#include "expand/path_map.h"
#include "path/name_pattern.h"
#include "path/path.h"
#include "path/path_chars.h"
#include "expand/run_state.h"
#include "scan/directive.h"
#include "scan/line_directive.h"
#include "scan/line_scan.h"
#include "scan/plain_lines.h"

namespace {

enum class Opened { ready, skipped, failed };
enum class Leave { top, end_of_file, failed };
enum class Handled { next_line, top, failed };

// Copies the plain lines waiting in the frame's read buffer in one piece, the scan moved past
// them.
void Copy_Plain_Lines(IncludeFrame& frame, OutputStream& output) {
    const std::string_view waiting = frame.file.Waiting();
    std::uint32_t lines = 0;
    const std::size_t size = Plain_Lines(waiting, frame.scan, lines);
    if (size == 0) return;
    // Written from the read buffer itself: the reader releases it before it reads more.
    frame.file.Lend_To(output);
    output.Write_Held(waiting.data(), size);
    frame.file.Skip_Lines(size);
    frame.line_counter += lines;
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
    state.lines.Tool();
    const OnceLogic::Opening opening = state.once.Open(state.stack, first_input);
    if (opening != OnceLogic::Opening::failed && state.Recording()) {
        const char* includer = depth > 1 ? state.stack[depth - 2].path : nullptr;
        state.record.Included(includer, frame.path, frame.given_name,
                              opening == OnceLogic::Opening::expand);
    }
    switch (opening) {
        case OnceLogic::Opening::skip:
            return Opened::skipped;
        case OnceLogic::Opening::failed:
            return Opened::failed;
        case OnceLogic::Opening::expand:
            break;
    }
    state.lines.Opening(frame, depth, first_input);
    return Opened::ready;
}

Handled Strip_Failed(const RunState& state, const IncludeFrame& frame) {
    state.diagnostics.Error_At(frame.path, frame.line_counter - 1, "failed to strip comments");
    return Handled::failed;
}

// Takes the first of the frame's carried lines into `line`; returns how it ended.
char Take_Carried(IncludeFrame& frame, std::string& line) {
    std::string& carried = frame.carried_text;
    const std::size_t end = carried.find_first_of("\n\r");
    const char line_end = carried[end];
    if (end + 1 == carried.size()) {
        // Nearly always the only one: the buffers trade places.
        line.swap(carried);
        line.pop_back();
        carried.clear();
    } else {
        line.assign(carried, 0, end);
        carried.erase(0, end + 1);
    }
    return line_end;
}

// Reads the lines that continue the directive begun by the line in `state.directive` and adds
// them to it, their analysis to the directive's. False after printing the error.
[[nodiscard]] bool Read_Continuation(RunState& state, IncludeFrame& frame) {
    DirectiveLines& lines = state.directive;
    while (frame.scan.Continues()) {
        std::string_view next;
        char line_end;
        if (!frame.carried_text.empty()) {
            line_end = Take_Carried(frame, state.next_line);
            next = state.next_line;
        } else {
            if (frame.file.At_End()) break;
            if (!frame.file.Read_Line(next, state.next_line)) {
                Report_Read_Failure(state, frame);
                return false;
            }
            if (next.empty() && frame.file.At_End()) break;
            line_end = frame.file.Line_End();
        }
        ++frame.line_counter;
        // A comment that spans the line end stands for one space.
        const bool across_comment = frame.scan.mode == ScanState::Mode::block_comment;
        if (!Strip_Comments(next, frame.scan, state.piece, state.piece_offsets)) {
            Strip_Failed(state, frame);
            return false;
        }
        const std::size_t base = lines.Text().size();
        lines.Add(next, line_end, frame.line_counter - 1, frame.scan);
        if (across_comment) {
            state.analysis.push_back(' ');
            state.offsets.push_back(kCommentMarker);
        }
        state.analysis += state.piece;
        for (const std::uint32_t offset : state.piece_offsets) {
            state.offsets.push_back(offset == kCommentMarker
                                        ? offset
                                        : static_cast<std::uint32_t>(offset + base));
        }
        // A directive is held whole, and may not take more memory than the output may.
        if (lines.Text().size() > state.options.max_output_size) {
            state.output.Exceed_Limit();
            return false;
        }
    }
    return true;
}

void Write_Lines(OutputStream& output, const DirectiveLines& lines) {
    const std::string_view text = lines.Text();
    for (const DirectiveLines::Line& line : lines.Lines()) {
        output.Write_Line(text.substr(line.begin, line.end - line.begin), line.line_end);
    }
}

// Writes a directive that owes a line fix, the marker on its last line; the caller then resumes
// the frame, which writes the fix.
Handled Write_Fixed_Directive(RunState& state, const IncludeFrame& frame) {
    const DirectiveLines& lines = state.directive;
    const std::string_view text = lines.Text();
    const std::vector<DirectiveLines::Line>& all = lines.Lines();
    for (std::size_t i = 0; i + 1 < all.size(); ++i) {
        state.output.Write_Line(text.substr(all[i].begin, all[i].end - all[i].begin),
                                all[i].line_end);
    }
    state.lines.Fix_Marker(frame, text.substr(all.back().begin));
    return Handled::top;
}

// A #pragma once of the top frame: written as the definition of the macro that stands for it,
// which the compiler accepts in any file and a later expansion of the file tests. The lines of
// the directive keep their number.
Handled Write_Pragma_Once(RunState& state, IncludeFrame& frame, const Directive& directive) {
    const std::string* macro = state.once.Pragma_Once(frame);
    if (macro == nullptr) return Handled::failed;
    const DirectiveLines& lines = state.directive;
    const std::string_view text = lines.Text();
    const std::vector<DirectiveLines::Line>& all = lines.Lines();
    OutputStream& output = state.output;
    const std::size_t begin = state.offsets[directive.begin];
    const std::size_t end = std::size_t{state.offsets[directive.end - 1]} + 1;
    const std::size_t last = lines.Line_Of(end - 1);
    output.Write(text.data(), begin);
    output.Print("#define %s", macro->c_str());
    if (last > 0) {
        // "#pragma" and "once" on lines of their own: the definition goes on over as many.
        output.Write(" \\\n");
        for (std::size_t i = 1; i < last; ++i) output.Write("\\\n");
    }
    output.Write_Line(text.substr(end, all[last].end - end), all[last].line_end);
    for (std::size_t i = last + 1; i < all.size(); ++i) {
        output.Write_Line(text.substr(all[i].begin, all[i].end - all[i].begin), all[i].line_end);
    }
    return Handled::next_line;
}

// Moves what follows position `rest` of the directive's text, the rest of its line and the
// lines that continued it, before the includer's carried lines: they come back as its next
// lines, under their own numbers, read from where the scan stood after the rest's line.
void Carry_Rest(IncludeFrame& includer, const DirectiveLines& lines, std::size_t rest) {
    const std::string_view text = lines.Text();
    const std::vector<DirectiveLines::Line>& all = lines.Lines();
    const std::size_t first = lines.Line_Of(rest - 1);
    std::string carried;
    bool numbered = false;
    for (std::size_t i = first; i < all.size(); ++i) {
        const std::size_t from = i == first ? rest : all[i].begin;
        if (from >= all[i].end && i == first) continue;
        if (!numbered) includer.line_counter = all[i].number;
        numbered = true;
        carried.append(text.substr(from, all[i].end - from));
        carried.push_back(all[i].line_end);
    }
    includer.scan = all[first].after;
    if (!numbered) return;
    if (includer.carried_text.empty()) {
        includer.carried_text.swap(carried);
    } else {
        includer.carried_text.insert(0, carried);
    }
}

// Whether a --keep-include pattern matches the include `name`: one in <> or "" matches that form
// alone, one without either form.
bool Kept_By_Pattern(const Options& options, std::string_view name, bool angle) {
    for (std::string_view pattern : options.keep_include_patterns) {
        if (pattern.size() >= 2 && (pattern.front() == '<' || pattern.front() == '"')) {
            const bool pattern_angle = pattern.front() == '<';
            if (pattern.back() != (pattern_angle ? '>' : '"') || pattern_angle != angle) continue;
            pattern = pattern.substr(1, pattern.size() - 2);
        }
        if (Matches_Pattern(pattern, name)) return true;
    }
    return false;
}

// Sets `inside` when `path` lies in one of the --expand-only folders, made absolute and canonical
// when first needed. False after printing the error.
[[nodiscard]] bool In_Expanded_Folder(RunState& state, const char* path, bool& inside) {
    std::vector<std::string>& folders = state.expand_only;
    if (folders.empty()) {
        for (const char* given : state.options.expand_only_folders) {
            std::string folder = given;
            if (!state.resolver.Working_Directory().To_Absolute(folder) ||
                !CPath::Normalize(folder)) {
                state.diagnostics.Error("failed to make absolute path '%s'", given);
                return false;
            }
            if (folder.empty() || !Is_Path_Separator(folder.back())) {
                folder += NativePathSyntax::kSeparator;
            }
            folders.push_back(std::move(folder));
        }
    }
    std::string file = path;
    if (!CPath::Normalize(file)) {
        state.diagnostics.Error("failed to make absolute path '%s'", path);
        return false;
    }
    inside = std::any_of(folders.begin(), folders.end(), [&](const std::string& folder) {
        return file.compare(0, folder.size(), folder) == 0;
    });
    return true;
}

// An include directive of the top frame: resolves the name, pushes the frame of the file,
// writes what replaces the directive and carries the text after it over to the includer's
// next lines.
Handled Expand_Include(RunState& state, const IncludeSyntax& syntax) {
    IncludeFrame& includer = state.stack.back();
    const DirectiveLines& lines = state.directive;
    const std::string& name = state.pool.Intern(
        std::string_view(state.analysis)
            .substr(syntax.name_begin, syntax.name_end - syntax.name_begin));
    const std::uint32_t line_number = lines.Lines().front().number;
    const std::int32_t limit = state.options.max_include_recurse;
    if (limit > 0 && state.stack.size() == static_cast<std::size_t>(limit)) {
        state.diagnostics.Error_At(includer.path, line_number, "maximum include recursion exceeded");
        return Handled::failed;
    }
    // An include left to the compiler is written as it stands.
    const auto leave = [&](const char* why) {
        state.diagnostics.Report(static_cast<unsigned>(state.stack.size()),
                                 "leaving %c%s%c to the compiler: %s", syntax.angle ? '<' : '"',
                                 name.c_str(), syntax.angle ? '>' : '"', why);
        Write_Lines(state.output, lines);
        return Handled::next_line;
    };
    if (Kept_By_Pattern(state.options, name, syntax.angle)) return leave("kept");
    IncludeResolver::Found found;
    bool not_found = false;
    if (!state.resolver.Resolve(name, syntax.angle, includer, state.diagnostics, found,
                                not_found)) {
        if (!not_found) return Handled::failed;
        // In a branch it surely skips, the compiler does not look for the file either.
        if (!state.options.keep_unresolved_includes && !state.once.In_Skipped_Branch()) {
            state.diagnostics.Error_At(includer.path, line_number,
                                       "failed to resolve include of '%s': file not found",
                                       name.c_str());
            return Handled::failed;
        }
        return leave("not found");
    }
    if (!state.options.expand_only_folders.empty()) {
        bool inside = false;
        if (!In_Expanded_Folder(state, found.path, inside)) return Handled::failed;
        if (!inside) return leave("outside the folders to expand");
    }

    Register_Pending_Fix(includer);
    state.lines.Tool();
    // Text before the directive stays, with a space before the comment that replaces it.
    OutputStream& output = state.output;
    const std::string_view text = lines.Text();
    const std::uint32_t hash = state.offsets[syntax.hash];
    const std::string_view prefix = text.substr(0, hash);
    if (std::any_of(prefix.begin(), prefix.end(), [](char c) { return !Is_Space(c); })) {
        output.Write(prefix);
        output.Put(' ');
    }
    Carry_Rest(includer, lines, std::size_t{state.offsets[syntax.name_end]} + 1);
    const std::string_view shown = Map_Path(found.path, state.options.path_prefix_map, state.mapped);
    output.Write_Pieces({"// #include ", Comment_Path(shown, state.escaped), "\n"});
    const bool skipped_branch = state.once.In_Skipped_Branch();
    state.stack.emplace_back(found.path);
    IncludeFrame& included = state.stack.back();
    included.display_name = included.given_name = found.given_name;
    included.in_skipped_branch = skipped_branch;
    return Handled::top;
}

// A #define or #undef of a macro whose definitions are marked, and the marker beside it: the
// number of the definition, or nothing after an #undef.
Handled Write_Marked(RunState& state, IncludeFrame& frame, std::string_view macro,
                     unsigned definition) {
    Write_Lines(state.output, state.directive);
    state.lines.Tool();
    const std::string marker = ComputedIncludes::Marker(macro);
    // Undefined first: a macro defined again with another value draws a warning.
    state.output.Print("#undef %s\n", marker.c_str());
    if (definition != 0) state.output.Print("#define %s %u\n", marker.c_str(), definition);
    state.once.Forget_Tested(marker);
    // The lines written beside it shift the numbering of the lines after it: the frame is
    // resumed, and the blocks around it owe a fix.
    Register_Pending_Fix(frame);
    return Handled::top;
}

// Pushes the frame of a computed include's candidate, in a branch of the tool's own block
// headed by `keyword` and the candidate's test.
void Push_Candidate(RunState& state, const char* keyword, const ChainedCandidate& candidate) {
    state.lines.Tool();
    const std::string_view shown =
        Map_Path(candidate.path, state.options.path_prefix_map, state.mapped);
    state.output.Print("%s %s\n// #include %s\n", keyword, candidate.condition.c_str(),
                       Comment_Path(shown, state.escaped));
    state.computed.Assume(candidate.taken);
    state.stack.emplace_back(candidate.path);
    IncludeFrame& included = state.stack.back();
    included.display_name = included.given_name = candidate.given_name;
}

// The macro an `#include MACRO` directive names, or empty when it names anything else.
std::string_view Included_Macro(std::string_view analysis, std::size_t& end) {
    std::size_t at = Skip_Space(analysis, Directive_Word(analysis) + 7);
    const std::size_t begin = at;
    const auto identifier = [](char c, bool first) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
               (!first && c >= '0' && c <= '9');
    };
    while (at < analysis.size() && identifier(analysis[at], at == begin)) ++at;
    end = at;
    if (at == begin || Has_Text(analysis.substr(at))) return {};
    return analysis.substr(begin, at - begin);
}

// An `#include MACRO` of the top frame with -eci: each header name the macro may stand for is
// expanded in a branch of a block of the tool's own, under the test of the definitions it was
// made of, and the directive itself is left to the compiler in the block's last branch. Nothing
// when the include is not one that can be reduced: the caller handles it as any other.
std::optional<Handled> Expand_Computed(RunState& state) {
    IncludeFrame& includer = state.stack.back();
    std::size_t end = 0;
    const std::string_view macro = Included_Macro(state.analysis, end);
    if (macro.empty()) return std::nullopt;
    std::vector<ComputedIncludes::Candidate> reduced;
    const std::uint32_t line_number = state.directive.Lines().front().number;
    switch (state.computed.Reduce(macro, reduced)) {
        case ComputedIncludes::Outcome::reduced:
            break;
        case ComputedIncludes::Outcome::too_many:
            state.diagnostics.Warning_At(includer.path, line_number,
                                         "#include %.*s may name more than %u files: left to "
                                         "the compiler",
                                         static_cast<int>(macro.size()), macro.data(),
                                         static_cast<unsigned>(ComputedIncludes::kMaxCandidates));
            Write_Lines(state.output, state.directive);
            return Handled::next_line;
        case ComputedIncludes::Outcome::wanting:
        case ComputedIncludes::Outcome::unreduced:
            return std::nullopt;
    }
    const std::int32_t limit = state.options.max_include_recurse;
    if (limit > 0 && state.stack.size() == static_cast<std::size_t>(limit)) {
        state.diagnostics.Error_At(includer.path, line_number, "maximum include recursion exceeded");
        return Handled::failed;
    }
    // The candidates found, last first; a name found nowhere is left to the block's last branch.
    std::vector<ChainedCandidate> found;
    for (auto candidate = reduced.rbegin(); candidate != reduced.rend(); ++candidate) {
        IncludeResolver::Found file;
        bool not_found = false;
        if (state.resolver.Resolve(candidate->name, candidate->angle, includer, state.diagnostics,
                                   file, not_found)) {
            found.push_back({file.path, file.given_name, std::move(candidate->condition),
                             std::move(candidate->taken)});
        } else if (!not_found) {
            return Handled::failed;
        }
    }
    if (found.empty()) return std::nullopt;
    Register_Pending_Fix(includer);
    state.lines.Tool();
    const std::string_view text = state.directive.Text();
    const std::string_view prefix = text.substr(0, state.offsets[Skip_Space(state.analysis, 0)]);
    if (std::any_of(prefix.begin(), prefix.end(), [](char c) { return !Is_Space(c); })) {
        state.output.Write_Line(prefix);
    }
    Carry_Rest(includer, state.directive, std::size_t{state.offsets[end - 1]} + 1);
    includer.computed_directive.assign("#include ").append(macro);
    const ChainedCandidate first = std::move(found.back());
    state.once.Open_Tool_Block(first.condition);
    found.pop_back();
    includer.candidates.swap(found);
    Push_Candidate(state, "#if", first);
    return Handled::top;
}

// Takes the top frame, whose computed include has a block of the tool's own open, on to its next
// branch: the next candidate, pushed (true), or the directive left to the compiler, which closes
// the block (false).
bool Continue_Computed(RunState& state) {
    IncludeFrame& includer = state.stack.back();
    state.computed.Forget();
    if (!includer.candidates.empty()) {
        const ChainedCandidate next = std::move(includer.candidates.back());
        includer.candidates.pop_back();
        state.once.Next_Tool_Branch(&next.condition);
        Push_Candidate(state, "#elif", next);
        return true;
    }
    state.once.Next_Tool_Branch(nullptr);
    state.lines.Tool();
    state.output.Print("#else\n%s\n#endif\n", includer.computed_directive.c_str());
    state.once.Close_Tool_Block();
    includer.computed_directive.clear();
    return false;
}

// Takes in a #line line or line marker of the top frame; true when it was followed.
bool Follow_Line(RunState& state, IncludeFrame& frame) {
    const LineDirective parsed = Parse_Line_Directive(state.analysis);
    const std::uint32_t old_number = frame.line_counter;
    const char* old_name = frame.display_name;
    if (Follow_Line_Directive(frame, parsed, state.directive.Text(),
                              state.options.follow_line_directives, state.pool,
                              state.diagnostics)) {
        state.lines.Followed(frame, frame.line_counter - old_number,
                             parsed.has_name ? frame.display_name : nullptr, old_name);
        return true;
    }
    return false;
}

// Only these are known from their first line; the others need the whole logical line, and so
// does a definition whose replacement a computed include may use.
bool Known_From_First_Line(DirectiveKind kind, const Options& options) {
    return (kind == DirectiveKind::define && !options.expand_computed_includes) ||
           kind == DirectiveKind::undef || kind == DirectiveKind::message;
}

bool Begins_Directive(std::string_view analysis) {
    const std::size_t at = Skip_Space(analysis, 0);
    return at < analysis.size() && analysis[at] == '#';
}

Handled Handle_Line(RunState& state, IncludeFrame& frame, std::string_view text, char line_end) {
    OutputStream& output = state.output;
    OnceLogic& once = state.once;
    frame.scan.lenient_quotes = once.In_Skipped_Branch();
    // A line that continues a logical line, or holds no '#', cannot be a directive: it needs
    // only the scan, for what it leaves open and the literal check, not the analysis copy,
    // unless the guard watch must see whether it holds code.
    const bool may_be_directive =
        frame.scan.Directive_Possible() && std::memchr(text.data(), '#', text.size()) != nullptr;
    if (!may_be_directive && !once.Watches_Every_Line(frame)) {
        if (!Check_Comments(text, frame.scan)) return Strip_Failed(state, frame);
        output.Write_Line(text, line_end);
        return Handled::next_line;
    }
    // The directive steps work on the line in the run's line buffer.
    if (text.data() != state.line.data()) state.line.assign(text.data(), text.size());
    const std::string& line = state.line;
    const ScanState before = frame.scan;
    if (!Strip_Comments(line, frame.scan, state.analysis, state.offsets)) {
        // The text of #error and #warning is prose, in which a quote may stay open.
        if (!may_be_directive ||
            Classify_Directive(state.analysis).kind != DirectiveKind::message) {
            return Strip_Failed(state, frame);
        }
        frame.scan = before;
        frame.scan.lenient_quotes = true;
        (void)Strip_Comments(line, frame.scan, state.analysis, state.offsets);
    }
    state.directive.Start(line, line_end, frame.line_counter - 1, frame.scan);
    Directive directive = may_be_directive ? Classify_Directive(state.analysis) : Directive{};
    if (may_be_directive && !Known_From_First_Line(directive.kind, state.options) &&
        frame.scan.Continues() &&
        Begins_Directive(state.analysis)) {
        if (!Read_Continuation(state, frame)) return Handled::failed;
        directive = Classify_Directive(state.analysis);
    }
    // What a computed include may stand for is learnt from definitions the compiler may take.
    const bool computed = state.options.expand_computed_includes && !once.In_Skipped_Branch();
    bool fix = false;
    if (directive.kind == DirectiveKind::endif) fix = Fix_Due_At_Endif(frame);
    if (directive.kind == DirectiveKind::branch) fix = Branch_Needs_Fix(frame);
    once.Take_Line(frame, directive, state.analysis);
    switch (directive.kind) {
        case DirectiveKind::endif:
        case DirectiveKind::branch:
            if (fix) return Write_Fixed_Directive(state, frame);
            break;
        case DirectiveKind::line:
            if (Follow_Line(state, frame)) {
                Write_Lines(output, state.directive);
                // The lines after it are numbered from its number on.
                state.lines.Source(frame, frame.line_counter);
                return Handled::next_line;
            }
            break;
        case DirectiveKind::include:
            return Expand_Include(state, directive.include);
        case DirectiveKind::define:
            if (computed) {
                const std::string_view& name = directive.macro;
                const std::size_t after = name.data() + name.size() - state.analysis.data();
                const unsigned definition =
                    state.computed.Define(name, std::string_view(state.analysis).substr(after));
                if (definition != 0) return Write_Marked(state, frame, name, definition);
            }
            break;
        case DirectiveKind::undef:
            if (computed && state.computed.Undefine(directive.macro)) {
                return Write_Marked(state, frame, directive.macro, 0);
            }
            break;
        case DirectiveKind::bad_include:
            if (computed) {
                if (const std::optional<Handled> done = Expand_Computed(state)) return *done;
            }
            state.diagnostics.Warning_At(frame.path, state.directive.Lines().front().number,
                                         "did not understand #include directive: '%.*s'",
                                         static_cast<int>(state.directive.Text().size()),
                                         state.directive.Text().data());
            break;
        case DirectiveKind::pragma_once:
            return Write_Pragma_Once(state, frame, directive);
        default:
            break;
    }
    Write_Lines(output, state.directive);
    return Handled::next_line;
}

// Takes the lines of the top frame until its file ends or another frame must be looked at.
Leave Take_Lines(RunState& state) {
    IncludeFrame& frame = state.stack.back();
    for (;;) {
        std::string_view text;
        char line_end;
        if (frame.carried_text.empty()) {
            if (frame.scan.At_Rest() && !state.once.Watches_Every_Line(frame)) {
                Copy_Plain_Lines(frame, state.output);
            }
            if (frame.file.At_End()) return Leave::end_of_file;
            if (!frame.file.Read_Line(text, state.line)) {
                Report_Read_Failure(state, frame);
                return Leave::failed;
            }
            // The empty piece after the last line end is not a line.
            if (text.empty() && frame.file.At_End()) return Leave::end_of_file;
            line_end = frame.file.Line_End();
        } else {
            line_end = Take_Carried(frame, state.line);
            text = state.line;
        }
        ++frame.line_counter;
        // A run that outgrows its budget ends here; the caller reports it.
        if (state.output.Over_Limit()) return Leave::failed;
        switch (Handle_Line(state, frame, text, line_end)) {
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
    state.lines.Tool();
    // A backslash-newline does not reach past the end of its file: what follows in the joined
    // text (the includer's #line, the next file) must not be joined to the file's last line. The
    // line that ends the splice ends as that line did, lest a CR and an LF make one line end.
    if (frame.scan.spliced) state.output.Put(frame.file.Line_End());
    state.once.Close(frame);
    Check_Fixes_At_End(frame, state.diagnostics);
    if (frame.file.Failed()) {
        state.diagnostics.Error("I/O error while reading '%s'", frame.path);
        return false;
    }
    state.stack.pop_back();
    return true;
}

}  // namespace

bool Expand_Input(RunState& state) {
    IncludeStack& stack = state.stack;
    const bool recording = state.Recording();
    for (;;) {
        // What is written from here on comes from the file on top.
        if (recording) {
            const IncludeFrame* top = stack.empty() ? nullptr : &stack.back();
            state.record.Account(top != nullptr ? top->path : nullptr,
                                 top != nullptr ? top->given_name : nullptr,
                                 state.output.Position());
        }
        if (stack.empty()) return true;
        if (!stack.back().file.Is_Open()) {
            switch (Open_Top(state)) {
                case Opened::failed:
                    return false;
                case Opened::skipped:
                    // Nothing of a dropped file is read: its includer goes on.
                    stack.pop_back();
                    continue;
                case Opened::ready:
                    break;
            }
        } else {
            // A computed include goes on with its next candidate before its includer does.
            if (!stack.back().computed_directive.empty() && Continue_Computed(state)) continue;
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
