#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

/// Pairs of leading path text and what replaces it in the output.
using PathPrefixMap = std::vector<std::pair<std::string_view, std::string_view>>;

/// The settings of one run, filled once from the command line.
struct Options {
    bool verbose = false;
    bool fixup_line_numbers = true;
    bool follow_line_directives = true;
    bool line_fixup_with_filename = false;
    bool specify_input_filenames = false;
    bool include_once = false;
    /// An include whose file is found nowhere is written unchanged, for the compiler.
    bool keep_unresolved_includes = false;
    /// A later inclusion that the compiler is sure to drop is left out.
    bool skip_guarded = false;
    /// `#include MACRO` is expanded for each definition of the macro that may be in force.
    bool expand_computed_includes = false;
    /// Points into the argument vector; nothing is copied. "-" is standard output.
    const char* output_path = nullptr;
    /// "-" is standard input.
    std::vector<const char*> input_paths;
    /// As given; each run makes the relative ones absolute for itself.
    std::vector<const char*> include_paths;
    /// The include stack may not reach this many frames; 0 or less means no limit.
    std::int32_t max_include_recurse = 300;
    /// Leading text of the paths written into the output, and what replaces it; the last pair
    /// that matches applies. Points into the argument vector.
    PathPrefixMap path_prefix_map;
    /// The output may not grow beyond this many bytes, nor may any line read.
    std::uint64_t max_output_size = UINT64_MAX;
    /// Nothing is written: the output is compared with what the run would write.
    bool check = false;
    /// Where the make rule naming every file read goes, or null. Points into the argument vector.
    const char* dependency_file = nullptr;
    /// The rule's targets, as given; the output's path, escaped, where there are none.
    std::vector<const char*> dependency_targets;
    /// The rule is followed by an empty rule for each included file.
    bool phony_dependencies = false;
    /// Includes whose names as written match one of these are left to the compiler.
    std::vector<const char*> keep_include_patterns;
    /// Where not empty, only includes of files in these folders are expanded.
    std::vector<const char*> expand_only_folders;
    /// Where the map of the output's lines goes, or null.
    const char* line_map_file = nullptr;
    /// Where the include graph goes, or null.
    const char* include_graph_file = nullptr;
    /// After the run, the bytes and inclusions of each file are reported.
    bool size_report = false;
    /// Every include candidate is asked of the file system, none looked up in a folder listing.
    bool probe_includes = false;
    /// Not null: the run maps compiler messages through this line map, and joins nothing.
    const char* map_messages_file = nullptr;
};
