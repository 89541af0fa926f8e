#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

/// The settings of one run, filled once from the command line.
struct Options {
    bool verbose = false;
    bool fixup_line_numbers = true;
    bool follow_line_directives = true;
    bool line_fixup_with_filename = false;
    bool specify_input_filenames = false;
    bool include_once = false;
    /// Points into the argument vector; nothing is copied.
    const char* output_path = nullptr;
    std::vector<const char*> input_paths;
    /// Relative entries are replaced by absolute pooled copies before the first input.
    std::vector<const char*> include_paths;
    /// The include stack may not reach this many frames; 0 or less means no limit.
    std::int32_t max_include_recurse = 300;
};

enum class ParseOutcome {
    proceed,       ///< the options are filled; run
    stop_success,  ///< help was printed; exit with 0
    stop_failure,  ///< usage or an argument error was printed; exit with -1
};

/// The usage text, 42 lines, each ending in a line feed.
extern const char kUsageText[];

/// Parses argv[1..argc-1] into `options`. Prints the usage text or the one-line argument error
/// itself, on `err`; prints nothing else and opens no file.
ParseOutcome Parse_Options(int argc, const char* const* argv, Options& options, FILE* err);
