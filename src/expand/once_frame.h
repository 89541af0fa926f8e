#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct OnceRecord;

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

/// What the once logic keeps of one file being expanded.
struct OnceFrame {
    /// What the run knows of this file when it may take effect once; null until that matters.
    OnceRecord* record = nullptr;
    /// The expansion stands in a block of the tool's own that the file's #pragma once closes;
    /// the block ends after the file's last line.
    bool wrapped = false;
    /// How far the file is seen to be wrapped whole in an include guard.
    GuardWatch guard_watch = GuardWatch::off;
    /// The macro of that guard, once its opening line is seen.
    std::string guard_macro;
    /// No text before the guard's test defines its macro: the block is entered.
    bool trusted_guard = false;
    /// Where the file's own conditional blocks begin among the blocks open in the run.
    std::size_t block_base = 0;
};
