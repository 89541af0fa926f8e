#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

/// Answers whether a file is under a path as CPath::Is_File does, from one listing of each
/// folder per run instead of one file-system query per path. A folder is listed the second time
/// it is asked about (a folder asked once costs what a query costs); one that cannot be listed,
/// and any name a listing cannot vouch for, is asked of the file system each time. A name that
/// appears in a folder after its listing is not seen.
class FolderCache {
  public:
    /// What the cache knows of one folder.
    struct Folder;

    FolderCache() = default;
    FolderCache(const FolderCache&) = delete;
    FolderCache& operator=(const FolderCache&) = delete;

    /// With `listing` false every question goes to the file system: the answers are the same,
    /// and the switch is there to show it. Call before the first question.
    void Use_Listings(bool listing) { listing_ = listing; }

    /// The record of `folder`, a path that ends in a separator; made on the first call, and
    /// valid as long as the cache. Throws std::bad_alloc when memory runs out.
    Folder& Find(std::string_view folder);
    /// Whether CPath::Is_File holds for `folder`'s path followed by `name`, a name without
    /// separators. Throws std::bad_alloc when memory runs out.
    bool Has_File(Folder& folder, std::string_view name);
    /// Whether CPath::Is_File holds for `path`. Throws std::bad_alloc when memory runs out.
    bool Has_File(std::string_view path);

  private:
    void List(Folder& folder);
    /// Asks the file system about `folder`'s path followed by `name`: whether a file is there,
    /// or with `any_kind` whether anything is.
    bool Ask(const Folder& folder, std::string_view name, bool any_kind = false);

    bool listing_ = true;
    std::unordered_map<std::string, Folder> folders_;
    std::string key_;   ///< a folder's path or a name, as looked up
    std::string path_;  ///< a path asked of the file system
};

struct FolderCache::Folder {
    enum class State { unasked, asked_once, listed, unlisted };
    /// What a listed name is: a file, a folder, or something only a look-up tells (a link).
    enum class Kind : std::uint8_t { file, folder, unsure };

    std::string path;  ///< ends in a separator
    State state = State::unasked;
    /// Names compare in ASCII lowercase: a look-up that differs from a listed name in letter
    /// case alone found it.
    bool ignores_case = false;
    /// A name missing from the listing is missing from the folder. False where the file system
    /// may match it to a listed name that differs in more than ASCII letter case.
    bool misses_are_certain = true;
    /// The listed names (lowercased when `ignores_case`), each with its kind.
    std::unordered_map<std::string, Kind> names;
};
