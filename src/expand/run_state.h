#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "expand/computed_includes.h"
#include "expand/directive_lines.h"
#include "expand/include_frame.h"
#include "expand/include_resolution.h"
#include "expand/join_record.h"
#include "expand/line_map.h"
#include "expand/line_numbering.h"
#include "expand/once_logic.h"
#include "expand/options.h"
#include "expand/read_files.h"
#include "io/diagnostics.h"
#include "io/idle_files.h"
#include "io/output_stream.h"
#include "io/string_pool.h"
#include "path/file_identity.h"

/// What lives for the whole run of the engine, from the first input to the last. The pool is
/// declared before the stack so that it outlives every frame that points into it.
struct RunState {
    /// `include_dirs` must be prepared before the first input. `marked`: the macros whose
    /// definitions are marked for computed includes; outlives the state.
    RunState(const Options& options, OutputStream& output, Diagnostics& diagnostics,
             const ComputedIncludes::MacroSet& marked)
        : options(options),
          output(output),
          diagnostics(diagnostics),
          include_dirs(options.include_paths),
          once(options, output, diagnostics),
          resolver(include_dirs, options.include_paths, pool),
          lines(options, output),
          computed(marked),
          record(options) {
        if (options.line_map_file != nullptr) lines.Keep_Map(&line_map);
    }
    /// A size report or an include graph is asked for.
    bool Recording() const {
        return options.size_report || options.include_graph_file != nullptr;
    }
    RunState(const RunState&) = delete;
    RunState& operator=(const RunState&) = delete;
    /// A run that fails deep in an include chain leaves every frame open. They are closed newest
    /// first: the C library looks a stream up in its list of open streams, newest at the head,
    /// when closing it, so closing oldest first costs time in the square of the depth (minutes
    /// for some ten thousand frames).
    ~RunState() {
        while (!stack.empty()) stack.pop_back();
    }

    const Options& options;
    OutputStream& output;
    Diagnostics& diagnostics;
    /// The output file, when it is a regular file: no input may be read from it.
    FileIdentity output_identity;
    /// What an input named "-" reads; the run's owner keeps it open.
    FILE* standard_input = nullptr;
    /// Every file opened, for the dependency file.
    ReadFiles read_files;

    StringPool pool;
    /// The include directories, the relative ones made absolute (pooled) before the first input.
    std::vector<const char*> include_dirs;
    OnceLogic once;
    IncludeResolver resolver;
    LineDirectiveWriter lines;
    ComputedIncludes computed;
    /// Files the frames are done with, kept open to be read again; outlives the stack.
    IdleFiles idle_files;
    IncludeStack stack;
    /// Index of the input being expanded, in command-line order.
    std::size_t input_index = 0;

    // Work buffers of the line being handled, cleared and reused for every line.
    std::string line;
    std::string analysis;
    std::vector<std::uint32_t> offsets;
    /// A directive's lines, and the lines that continue it as they are read and analysed.
    DirectiveLines directive;
    std::string next_line;
    std::string piece;
    std::vector<std::uint32_t> piece_offsets;
    /// The --expand-only folders, absolute and canonical, each ending in a separator.
    std::vector<std::string> expand_only;
    /// What the run did with each file, where a report or a graph asks for it.
    JoinRecord record;
    /// Where the output's lines come from, where a line map asks for it.
    LineMap line_map;
    std::string mapped;   ///< a path as the output shows it
    std::string escaped;  ///< the same, escaped for a comment
};
