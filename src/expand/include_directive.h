#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

class StringPool;
struct RunState;

/// Where an include directive stands in an analysis copy.
struct IncludeSyntax {
    bool angle = false;            ///< <name> rather than "name"
    std::size_t hash = 0;          ///< position of '#'
    std::size_t name_begin = 0;    ///< first byte of the name
    std::size_t name_end = 0;      ///< the closing delimiter
};

enum class IncludeShape {
    none,          ///< not an include line
    unrecognised,  ///< "#include" not followed by a well-formed "name" or <name>
    include,
};

/// Recognises an include directive on the analysis copy of a line.
IncludeShape Recognize_Include(std::string_view analysis, IncludeSyntax& syntax);

enum class IncludeResult {
    not_include,   ///< the caller writes the line
    unrecognised,  ///< the warning was printed; the caller writes the line
    expanded,      ///< a frame was pushed and the replacement written
    failed,        ///< the error was printed; the run ends
};

/// Handles the current line (`state.line`, its analysis copy and offsets) of the top frame as a
/// possible include directive.
IncludeResult Handle_Include(RunState& state);

/// Replaces each relative entry by an absolute copy kept in `pool`. False after printing
/// "failed to make absolute path" for the first entry that cannot be made absolute.
[[nodiscard]] bool Prepare_Include_Paths(std::vector<const char*>& include_paths,
                                         StringPool& pool, FILE* err);

/// Cuts whitespace off both ends of `text`, in place.
void Trim(std::string& text);
