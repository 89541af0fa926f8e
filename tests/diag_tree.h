#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "test_tree.h"

/// A random source tree of valid C++ with one deliberate error, `int err_here = ;`, for the
/// diagnostics check. Every file may be included any number of times, headers include only
/// headers made after them, and every file name (and every name a #line directive gives) is
/// unique in the tree.
struct DiagTree {
    std::vector<std::string> folders;  ///< every folder, made even when empty; "" is the root
    std::vector<TreeFile> files;
    /// Symbolic links, each its path and what it points at, relative to its folder: an include
    /// "sub\w.h" names, for the compiler on POSIX, a file literally called that.
    std::vector<std::pair<std::string, std::string>> links;
    std::vector<std::string> inputs;  ///< in command-line order
    std::string macros;               ///< the macros its conditionals test, in order, e.g. "AC"
};

/// The tree of `seed`; the same on every platform and standard library.
DiagTree Generate_Diag_Tree(std::uint32_t seed);
