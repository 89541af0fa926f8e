#pragma once

#include <cstdint>
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
