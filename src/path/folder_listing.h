#pragma once

#include <string>
#include <string_view>
#include <vector>

// The platform's side of the folder cache: reading a folder's names, and which look-ups a
// listing can stand for.

/// One name a folder listing gave.
struct ListedName {
    std::string name;
    /// The look-up of this name certainly finds an entry of the kind listed; false for a link,
    /// whose target may be missing or a folder, and for an entry whose kind the listing did not
    /// tell.
    bool certain = true;
    /// The entry is a folder.
    bool folder = false;
};

/// Appends the names in `folder` (a path that ends in a separator) to `names`, without "." and
/// "..". False when the folder cannot be listed whole, or when a look-up in it could answer
/// otherwise than the listing for any name (a folder that may be listed but not searched).
[[nodiscard]] bool List_Folder(const std::string& folder, std::vector<ListedName>& names);

/// True when looking `name` up in a listing of `folder` answers as the platform's own look-up
/// of the joined path would; false where that look-up reads the name as more than a name
/// (patterns, devices, short names) or the joined path is too long for it.
bool Listing_Can_Answer(std::string_view folder, std::string_view name);
