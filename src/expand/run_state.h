#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/options.h"
#include "expand/include_frame.h"
#include "expand/include_once.h"
#include "expand/output_stream.h"
#include "expand/string_pool.h"
#include "path/file_identity.h"

/// Everything that lives for the whole run, shared by the line loop and its steps. The pool is
/// declared before the stack so that it outlives every frame that points into it.
struct RunState {
    RunState(const Options& options, OutputStream& output, FILE* console_out, FILE* console_err)
        : options(options), output(output), console_out(console_out), console_err(console_err) {}
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
    FILE* console_out;  ///< verbose messages
    FILE* console_err;  ///< errors and warnings
    /// The output file, when it is a regular file: no input may be read from it.
    FileIdentity output_identity;

    StringPool pool;
    GuardTable guards;
    IncludeStack stack;
    /// Index of the input being expanded, in command-line order.
    std::size_t input_index = 0;

    // Per-line work buffers, cleared and reused for every line.
    std::string line;
    std::string analysis;
    std::vector<std::uint32_t> offsets;
    std::string path_scratch;
    std::string display_scratch;
};
