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
/// directories only; an absolute name as it is. A folder is no file and is passed over. Each
/// candidate costs at most one file-system query, and none once its folder has been listed.
class IncludeResolver {
  public:
    /// The include directories `prepared` (made absolute before the first Resolve) and as
    /// `given` on the command line; both outlive the resolver.
    IncludeResolver(const std::vector<const char*>& prepared,
                    const std::vector<const char*>& given, StringPool& pool)
        : include_paths_(prepared), given_paths_(given), pool_(pool) {}

    /// What an include names.
    struct Found {
        const char* path = nullptr;  ///< to open; equal paths are the same pooled string
        /// As the compiler names it: the folder it was found in, as that folder was given (the
        /// includer's folder as the includer is named, an include directory as typed, "./" for
        /// the current directory), joined with the name as written; pooled.
        const char* given_name = nullptr;
    };
    /// The file to open for include `name` (pooled) of the `includer`. False with `not_found`
    /// set when no candidate exists (the caller decides what that means), or false after
    /// printing why no path could be made.
    [[nodiscard]] bool Resolve(const std::string& name, bool angle, const IncludeFrame& includer,
                               Diagnostics& diagnostics, Found& found, bool& not_found);

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

    /// Pools `path` and the name given by `folder` (ends in a separator, or is empty) and
    /// `name` into `found`.
    bool Take(const std::string& path, std::string_view folder, const std::string& name,
              Found& found);
    void Prepare_Search_Folders();

    const std::vector<const char*>& include_paths_;
    const std::vector<const char*>& given_paths_;
    StringPool& pool_;
    WorkingDirectory working_directory_;
    FolderCache folders_;
    std::vector<SearchFolder> search_folders_;
    bool search_folders_ready_ = false;
    bool listing_ = true;
    std::string candidate_;
    std::string directory_;
    std::string given_;
};
