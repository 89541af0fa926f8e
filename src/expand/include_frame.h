#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/line_reader.h"
#include "scan/line_scan.h"

struct OnceRecord;

/// A #line directive of the file inside a conditional block, which the compiler follows only
/// where the block is compiled. A macro of the run's own, defined beside it, tells which.
struct UncertainLine {
    unsigned marker;     ///< the directive's macro is __LINE_DIRECTIVE_<marker>
    std::int64_t shift;  ///< what following it added to the numbering
    const char* name;    ///< the file name it gives (pooled), or null
};

/// Where a file's text stands in the shape of an include guard: `#ifndef X` (or `#if !defined X`)
/// with only blank and comment lines before it, `#define X` in that block outside any block
/// nested in it, no #else or #elif of that block, and only blank and comment lines after its
/// #endif.
enum class GuardWatch : std::uint8_t {
    off,     ///< not watched, or not that shape
    before,  ///< nothing but blank and comment lines so far
    opened,  ///< inside the block that tests the macro, before its #define
    inside,  ///< inside that block, after its #define
    after,   ///< after the block's #endif
};

/// One file being expanded. Owns its stream and its carried text; the names point into the
/// argument vector or the string pool, which outlive every frame.
struct IncludeFrame {
    /// A frame for `path`, not yet opened, with `display_name` equal to `path`.
    explicit IncludeFrame(const char* path) : path(path), display_name(path) {}

    /// Opened with, and named in every message about the file. Never changes.
    const char* path;
    /// Shown in line directives, guard texts and verbose messages.
    const char* display_name;
    LineReader file;
    /// Number of the next line to be taken; 1 right after opening.
    std::uint32_t line_counter = 1;
    /// What the last analysed line left open: a comment, a literal, a splice.
    ScanState scan;
    /// The rest of an include line, taken as the next line before the stream is read again.
    std::string carried_text;
    std::uint32_t conditional_depth = 0;
    /// The blocks from depth 1 to this one enclose an expanded include: each owes a line fix at
    /// its #else, #elif and #endif.
    std::uint32_t pending_fixes = 0;
    /// A directive that owes a line fix goes on through backslash-newlines: the fix follows its
    /// last line.
    bool fix_after_directive = false;
    /// The #line directives followed in conditional blocks since the last one outside them, and
    /// the display name before the first of them.
    std::vector<UncertainLine> uncertain_lines;
    const char* certain_name = nullptr;

    /// The expansion stands outside every conditional block of every file on the stack: it is
    /// compiled for sure.
    bool unconditional = true;
    /// What the run knows of this file when it may take effect once; null until that matters.
    OnceRecord* once = nullptr;
    /// A #pragma once of this expansion outside its conditional blocks has been passed.
    bool passed_pragma = false;
    /// The expansion stands in a block of the tool's own that the file's #pragma once closes;
    /// the block ends after the file's last line.
    bool wrapped = false;
    /// How far the file is seen to be wrapped whole in an include guard.
    GuardWatch guard_watch = GuardWatch::off;
    /// The macro of that guard, once its opening line is seen.
    std::string guard_macro;
    /// No text before the guard's test defines its macro: the block is entered.
    bool trusted_guard = false;
};

/// The input at the bottom, the file being read on top. Pushing may move the frames, so a
/// reference to a frame is taken again after every push.
using IncludeStack = std::vector<IncludeFrame>;
