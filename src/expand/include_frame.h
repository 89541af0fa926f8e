#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "expand/once_frame.h"
#include "io/line_reader.h"
#include "scan/line_scan.h"

/// A #line directive of the file inside a conditional block, which the compiler follows only
/// where the block is compiled. A macro of the run's own, defined beside it, tells which.
struct UncertainLine {
    unsigned marker;       ///< the directive's macro is __LINE_DIRECTIVE_<marker>
    std::uint32_t shift;   ///< what following it added to the numbering, modulo 2^32
    const char* name;      ///< the file name it gives (pooled), or null
};

/// A header name a computed include may stand for, found, and the test under which it does.
struct ChainedCandidate {
    const char* path;
    const char* given_name;
    std::string condition;
    /// The definitions in force where it is taken, by macro.
    std::map<std::string, std::size_t, std::less<>> taken;
};

/// One file being expanded. Owns its stream and its carried text; the names point into the
/// argument vector or the string pool, which outlive every frame.
struct IncludeFrame {
    /// A frame for `path`, not yet opened, named `path` in every way.
    explicit IncludeFrame(const char* path) : path(path), display_name(path), given_name(path) {}

    /// Opened with, and named in every message about the file. Never changes.
    const char* path;
    /// Shown in line directives, guard texts and verbose messages; a #line may change it.
    const char* display_name;
    /// The name the compiler knows the file by: the folder it was found in, as that folder was
    /// given, joined with the name as written. Never changes.
    const char* given_name;
    LineReader file;
    /// Number of the next line to be taken; 1 right after opening.
    std::uint32_t line_counter = 1;
    /// What the last analysed line left open: a comment, a literal, a splice.
    ScanState scan;
    /// Lines taken before the stream is read again (the rest of an include line and what
    /// continued it), each followed by its line end.
    std::string carried_text;
    std::uint32_t conditional_depth = 0;
    /// The blocks from depth 1 to this one enclose an expanded include: each owes a line fix at
    /// its #else, #elif and #endif.
    std::uint32_t pending_fixes = 0;
    /// The #line directives followed in conditional blocks since the last one outside them, and
    /// the display name before the first of them.
    std::vector<UncertainLine> uncertain_lines;
    const char* certain_name = nullptr;
    /// The display names in force before each line marker that entered a file and has not yet
    /// returned from it.
    std::vector<const char*> entered_names;
    /// The include of this file stands in a branch the compiler surely skips.
    bool in_skipped_branch = false;
    /// A computed include of this file being expanded, one candidate in each branch of a block
    /// of the tool's own: the candidates still to come, last first, and the directive that the
    /// block's last branch leaves to the compiler (empty when no such block is open).
    std::vector<ChainedCandidate> candidates;
    std::string computed_directive;
    OnceFrame once;
};

/// The input at the bottom, the file being read on top. Pushing may move the frames, so a
/// reference to a frame is taken again after every push.
using IncludeStack = std::vector<IncludeFrame>;
