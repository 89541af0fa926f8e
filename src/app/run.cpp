#include "app/run.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "app/command_line.h"
#include "app/dependency_rule.h"
#include "app/map_messages.h"
#include "expand/frame_file.h"
#include "expand/include_resolution.h"
#include "expand/line_loop.h"
#include "expand/run_state.h"
#include "io/output_file.h"
#include "io/output_stream.h"
#include "io/signal_cleanup.h"
#include "io/text_file.h"
#include "path/file_identity.h"

namespace {

bool Is_Standard_Stream(const char* path) {
    return std::strcmp(path, "-") == 0;
}

// The first input in command-line order that is the same file as the existing output, or null.
const char* Input_Named_As_Output(const Options& options, const FileIdentity& output, FILE* in) {
    for (const char* input : options.input_paths) {
        if (Is_Standard_Stream(input)) {
            if (Same_File(Get_File_Identity(in), output)) return kStandardInputName;
        } else if (Same_File(Get_File_Identity(input), output)) {
            return input;
        }
    }
    return nullptr;
}

// The console streams of one run, and what removes its temporaries on an interrupt.
struct Streams {
    FILE* in;
    FILE* out;
    SignalCleanup& cleanup;
};

// Writes `text` to `path` (none when null), a file that comes with the output: in a temporary
// that `file` renames over it once the output is in place. False after printing the error.
[[nodiscard]] bool Write_Side_File(const char* path, const std::string& text, OutputFile& file,
                                   Diagnostics& diagnostics) {
    if (path == nullptr) return true;
    FILE* stream = file.Open(path, nullptr);
    if (stream == nullptr) {
        diagnostics.Error("failed to open '%s' for writing", path);
        return false;
    }
    OutputStream writer(stream, file.Borrowed() ? OutputMode::borrow : OutputMode::own);
    writer.Write(text);
    if (!writer.Close()) {
        diagnostics.Error("I/O error while writing '%s'", path);
        return false;
    }
    return true;
}

// Runs the engine over every input into `state.output`, standard input read from
// `standard_input`. False after the error was printed.
[[nodiscard]] bool Expand_Inputs(RunState& state, FILE* standard_input) {
    const Options& options = state.options;
    state.standard_input = standard_input;
    // Listing each include folder once gives what asking for each candidate gives.
    state.resolver.Use_Folder_Listings(!options.probe_includes);
    if (!Prepare_Include_Paths(state.include_dirs, state.pool, state.resolver.Working_Directory(),
                               state.diagnostics)) {
        return false;
    }
    for (std::size_t index = 0; index < options.input_paths.size(); ++index) {
        const char* input = options.input_paths[index];
        if (Is_Standard_Stream(input)) input = kStandardInputName;
        state.input_index = index;
        state.stack.emplace_back(input);
        state.diagnostics.Report(0, "loading '%s' ...", input);
        if (!Expand_Input(state)) return false;
    }
    return !state.output.Over_Limit();
}

// A computed include's markers must stand at definitions written before the include is met, so
// with -eci the inputs are first joined without writing anything, warnings and reports kept
// back, each time with the macros the last time found wanting marked, until none is wanting.
// False after an error was printed. `standard_input` is rewound for each time.
[[nodiscard]] bool Find_Marked_Macros(const Options& options, const FileIdentity& identity,
                                      FILE* standard_input, Diagnostics& diagnostics,
                                      ComputedIncludes::MacroSet& marked) {
    constexpr int kMaxRounds = 8;
    for (int round = 0; round < kMaxRounds; ++round) {
        OutputStream discarded(nullptr, OutputMode::discard);
        discarded.Set_Limit(options.max_output_size, diagnostics, options.output_path);
        RunState state(options, discarded, diagnostics, marked);
        state.output_identity = identity;
        diagnostics.Set_Quiet(true);
        const bool joined = Expand_Inputs(state, standard_input);
        diagnostics.Set_Quiet(false);
        if (!joined) return false;
        if (standard_input != nullptr && !Rewind_Text(standard_input)) {
            diagnostics.Error("failed to read '%s'", kStandardInputName);
            return false;
        }
        const ComputedIncludes::MacroSet& wanted = state.computed.Wanted();
        if (std::includes(marked.begin(), marked.end(), wanted.begin(), wanted.end())) break;
        marked.insert(wanted.begin(), wanted.end());
    }
    return true;
}

// Standard input, read once, in a temporary that every run over the inputs reads from its
// start. Null after printing the error.
FILE* Keep_Standard_Input(FILE* in, Diagnostics& diagnostics) {
    FILE* kept = std::tmpfile();
    if (kept == nullptr) {
        diagnostics.Error("failed to read '%s'", kStandardInputName);
        return nullptr;
    }
    char buffer[16 * 1024];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, in)) > 0;) {
        if (std::fwrite(buffer, 1, count, kept) != count) break;
    }
    if (std::ferror(in) != 0 || std::fflush(kept) != 0 || !Rewind_Text(kept)) {
        std::fclose(kept);
        diagnostics.Error("failed to read '%s'", kStandardInputName);
        return nullptr;
    }
    return kept;
}

// Everything from the opened output on; `file` is null with --check, where `stream` is the
// existing output to compare with (null when there is none). Every object here is destroyed
// before an out-of-memory error is reported.
int Join_Inputs(const Options& options, OutputFile* file, FILE* stream,
                const FileIdentity& identity, const Streams& streams, Diagnostics& diagnostics) {
    const OutputMode mode = file == nullptr    ? OutputMode::compare
                            : file->Borrowed() ? OutputMode::borrow
                                               : OutputMode::own;
    OutputStream output(stream, mode);
    output.Set_Limit(options.max_output_size, diagnostics, options.output_path);
    FILE* standard_input = streams.in;
    std::unique_ptr<FILE, int (*)(FILE*)> kept(nullptr, &std::fclose);
    ComputedIncludes::MacroSet marked;
    if (options.expand_computed_includes) {
        const bool reads_input = std::any_of(options.input_paths.begin(), options.input_paths.end(),
                                             [](const char* input) { return Is_Standard_Stream(input); });
        if (reads_input) {
            kept.reset(Keep_Standard_Input(streams.in, diagnostics));
            if (!kept) return -1;
            standard_input = kept.get();
        }
        if (!Find_Marked_Macros(options, identity, reads_input ? standard_input : nullptr,
                                diagnostics, marked)) {
            return -1;
        }
    }
    RunState state(options, output, diagnostics, marked);
    state.output_identity = identity;
    if (!Expand_Inputs(state, standard_input)) return -1;
    if (!output.Close()) {
        diagnostics.Error("I/O error while writing '%s'", options.output_path);
        return -1;
    }
    // The last bytes may pass the limit only as they are handed over.
    if (output.Over_Limit()) return -1;
    if (file == nullptr) {
        if (output.Matches()) return 0;
        diagnostics.Error("output '%s' is out of date", options.output_path);
        return 1;
    }
    // The files that come with the output are replaced after it, so that none ever speaks for
    // a run that failed.
    std::string rule;
    if (options.dependency_file != nullptr) {
        Make_Dependency_Rule(options.dependency_targets, options.output_path,
                             state.read_files.Entries(), options.phony_dependencies, rule);
    }
    OutputFile dependencies(streams.cleanup), line_map(streams.cleanup), graph(streams.cleanup);
    const std::string map_text =
        options.line_map_file != nullptr ? state.line_map.Json(options.output_path) : "";
    const std::string graph_text =
        options.include_graph_file != nullptr ? state.record.Graph() : "";
    if (!Write_Side_File(options.dependency_file, rule, dependencies, diagnostics) ||
        !Write_Side_File(options.line_map_file, map_text, line_map, diagnostics) ||
        !Write_Side_File(options.include_graph_file, graph_text, graph, diagnostics)) {
        return -1;
    }
    if (!file->Commit()) {
        diagnostics.Error("failed to replace '%s'", options.output_path);
        return -1;
    }
    const std::pair<OutputFile*, const char*> sides[] = {
        {&dependencies, options.dependency_file},
        {&line_map, options.line_map_file},
        {&graph, options.include_graph_file}};
    for (const auto& side : sides) {
        if (!side.first->Commit()) {
            diagnostics.Error("failed to replace '%s'", side.second);
            return -1;
        }
    }
    if (options.size_report) diagnostics.Print_Report(state.record.Report());
    return 0;
}

int Open_And_Join(Options& options, const Streams& streams, Diagnostics& diagnostics) {
    const bool to_out = Is_Standard_Stream(options.output_path);
    // The output is replaced only at the end, but a run that read it could never be current,
    // and naming an input as the output is a mistake all the same.
    const FileIdentity identity =
        to_out ? Get_File_Identity(streams.out) : Get_File_Identity(options.output_path);
    if (const char* input = Input_Named_As_Output(options, identity, streams.in)) {
        diagnostics.Error("'%s' is both an input and the output", input);
        return -1;
    }
    if (options.check) {
        return Join_Inputs(options, nullptr, Open_For_Comparing(options.output_path), identity,
                           streams, diagnostics);
    }
    OutputFile file(streams.cleanup);
    FILE* stream = file.Open(options.output_path, streams.out);
    if (stream == nullptr) {
        diagnostics.Error("failed to open '%s' for writing", options.output_path);
        return -1;
    }
    return Join_Inputs(options, &file, stream, identity, streams, diagnostics);
}

}  // namespace

void Print_Banner(Diagnostics& diagnostics) {
    diagnostics.Report(0, "Quillfold " QUILLFOLD_VERSION " (built %s)\n", __DATE__);
}

int Run(int argc, const char* const* argv, FILE* in, FILE* out, FILE* err, bool probe_includes) {
    Diagnostics diagnostics(out, err);
    try {
        Options options;
        switch (Parse_Options(argc, argv, options, diagnostics)) {
            case ParseOutcome::stop_success:
                return 0;
            case ParseOutcome::show_version:
                std::fputs("quillfold " QUILLFOLD_VERSION "\n", out);
                return 0;
            case ParseOutcome::stop_failure:
                return -1;
            case ParseOutcome::proceed:
                break;
        }
        options.probe_includes = probe_includes;
        if (options.map_messages_file != nullptr) {
            return Map_Messages(options.map_messages_file, in, out, diagnostics);
        }
        // The joined text on standard output stays clean of reports.
        diagnostics.Set_Verbose(options.verbose,
                                Is_Standard_Stream(options.output_path) ? err : out);
        Print_Banner(diagnostics);
        SignalCleanup cleanup;
        return Open_And_Join(options, Streams{in, out, cleanup}, diagnostics);
    } catch (const std::bad_alloc&) {
        diagnostics.Error("not enough memory");
        return -1;
    }
}
