#include "app/run.h"

#include <cstdlib>
#include <new>

#include "app/command_line.h"
#include "expand/include_resolution.h"
#include "expand/line_loop.h"
#include "expand/run_state.h"
#include "io/output_stream.h"
#include "io/text_file.h"
#include "path/file_identity.h"

namespace {

// The first input in command-line order that is the same file as the existing output, or null.
const char* Input_Named_As_Output(const Options& options) {
    const FileIdentity output = Get_File_Identity(options.output_path);
    if (!output.valid) return nullptr;
    for (const char* input : options.input_paths) {
        if (Same_File(Get_File_Identity(input), output)) return input;
    }
    return nullptr;
}

// Everything from the opened output on. Every object here is destroyed before an out-of-memory
// error is reported, so the output keeps what was written.
int Join_Inputs(Options& options, FILE* file, Diagnostics& diagnostics) {
    OutputStream output(file);
    output.Set_Limit(options.max_output_size);
    RunState state(options, output, diagnostics);
    state.output_identity = Get_File_Identity(file);
    // Listing each include folder once gives what asking for each candidate gives; the
    // environment can turn the listings off to show it.
    const char* probe_only = std::getenv("QUILLFOLD_PROBE_INCLUDES");
    state.resolver.Use_Folder_Listings(probe_only == nullptr || *probe_only == '\0');
    if (!Prepare_Include_Paths(options.include_paths, state.pool,
                               state.resolver.Working_Directory(), diagnostics)) {
        return -1;
    }
    bool expanded = true;
    for (std::size_t index = 0; index < options.input_paths.size() && expanded; ++index) {
        const char* input = options.input_paths[index];
        state.input_index = index;
        state.stack.emplace_back(input);
        diagnostics.Report(0, "loading '%s' ...", input);
        expanded = Expand_Input(state);
    }
    // The last bytes may cross the limit only when they are handed over.
    const bool closed = expanded && output.Close();
    if (output.Over_Limit()) {
        diagnostics.Error("output '%s' exceeds the maximum size of %llu bytes", options.output_path,
                          static_cast<unsigned long long>(options.max_output_size));
        return -1;
    }
    if (!expanded) return -1;
    if (!closed) {
        diagnostics.Error("I/O error while writing '%s'", options.output_path);
        return -1;
    }
    return 0;
}

}  // namespace

void Print_Banner(Diagnostics& diagnostics) {
    diagnostics.Report(0, "Quillfold 1.01 (built %s)\n", __DATE__);
}

int Run(int argc, const char* const* argv, FILE* out, FILE* err) {
    Diagnostics diagnostics(out, err);
    try {
        Options options;
        switch (Parse_Options(argc, argv, options, diagnostics)) {
            case ParseOutcome::stop_success:
                return 0;
            case ParseOutcome::stop_failure:
                return -1;
            case ParseOutcome::proceed:
                break;
        }
        diagnostics.Set_Verbose(options.verbose, out);
        Print_Banner(diagnostics);
        // Opening the output truncates it: an input that is the same file would be lost.
        if (const char* input = Input_Named_As_Output(options)) {
            diagnostics.Error("'%s' is both an input and the output", input);
            return -1;
        }
        FILE* file = Open_Text_For_Writing(options.output_path);
        if (file == nullptr) {
            diagnostics.Error("failed to open '%s' for writing", options.output_path);
            return -1;
        }
        return Join_Inputs(options, file, diagnostics);
    } catch (const std::bad_alloc&) {
        diagnostics.Error("not enough memory");
        return -1;
    }
}
