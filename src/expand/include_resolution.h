#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "expand/include_frame.h"
#include "io/string_pool.h"

/// Replaces each relative include directory by an absolute copy kept in `pool`. False after
/// printing "failed to make absolute path" for the first one that cannot be made absolute.
[[nodiscard]] bool Prepare_Include_Paths(std::vector<const char*>& include_paths, StringPool& pool,
                                         FILE* err);

/// Finds the files that include directives name: a quoted name beside its includer, then in the
/// current directory, then in the include directories in order; an angle name in the include
/// directories only; an absolute name as it is.
class IncludeResolver {
  public:
    /// `include_paths` are prepared, and outlive the resolver.
    IncludeResolver(const std::vector<const char*>& include_paths, StringPool& pool)
        : include_paths_(include_paths), pool_(pool) {}

    /// The path to open for include `name` (pooled) of the `includer`. Null with `not_found` set
    /// when no candidate exists (the caller decides what that means), or null after printing on
    /// `err` why no path could be made.
    const char* Resolve(const std::string& name, bool angle, const IncludeFrame& includer,
                        FILE* err, bool& not_found);

  private:
    const std::vector<const char*>& include_paths_;
    StringPool& pool_;
    std::string candidate_;
    std::string directory_;
};
