#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "expand/include_frame.h"
#include "io/diagnostics.h"
#include "io/string_pool.h"
#include "path/folder_cache.h"
#include "path/working_directory.h"

/// Replaces each relative include directory by an absolute copy kept in `pool`, made against
/// `working_directory`. False after printing "failed to make absolute path" for the first one
/// that cannot be made absolute.
[[nodiscard]] bool Prepare_Include_Paths(std::vector<const char*>& include_paths, StringPool& pool,
                                         WorkingDirectory& working_directory,
                                         Diagnostics& diagnostics);

/// Finds the files that include directives name: a quoted name beside its includer, then in the
/// current directory, then in the include directories in order; an angle name in the include
/// directories only; an absolute name as it is. Each candidate costs at most one file-system
/// query, and none once its folder has been listed.
class IncludeResolver {
  public:
    /// `include_paths` are prepared before the first Resolve, and outlive the resolver.
    IncludeResolver(const std::vector<const char*>& include_paths, StringPool& pool)
        : include_paths_(include_paths), pool_(pool) {}

    /// The path to open for include `name` (pooled) of the `includer`. Null with `not_found` set
    /// when no candidate exists (the caller decides what that means), or null after printing
    /// why no path could be made. Equal paths come back as the same pooled string.
    const char* Resolve(const std::string& name, bool angle, const IncludeFrame& includer,
                        Diagnostics& diagnostics, bool& not_found);

    /// With `listing` false, every candidate is built whole and asked of the file system rather
    /// than looked up in a listing of its folder; the results are the same. Call before the
    /// first Resolve.
    void Use_Folder_Listings(bool listing) {
        listing_ = listing;
        folders_.Use_Listings(listing);
    }

    /// The current directory the resolver makes paths absolute against, asked once.
    WorkingDirectory& Working_Directory() { return working_directory_; }

  private:
    /// An include directory ready for look-ups: its canonical form followed by a separator,
    /// when that form begins with a plain root, and the cache's record of that folder.
    struct SearchFolder {
        std::string prefix;
        FolderCache::Folder* folder = nullptr;
    };

    const char* Found(const std::string& path);
    void Prepare_Search_Folders();

    const std::vector<const char*>& include_paths_;
    StringPool& pool_;
    WorkingDirectory working_directory_;
    FolderCache folders_;
    std::vector<SearchFolder> search_folders_;
    bool search_folders_ready_ = false;
    bool listing_ = true;
    std::string candidate_;
    std::string directory_;
};
