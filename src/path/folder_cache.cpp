#include "path/folder_cache.h"

#include <vector>

#include "path/folder_listing.h"
#include "path/path.h"
#include "path/path_chars.h"

namespace {

/// Printable ASCII only: letter case is the only folding a file system may apply to it.
bool Is_Plain(std::string_view name) {
    for (const char c : name) {
        if (c < ' ' || c > '~') return false;
    }
    return true;
}

bool Has_Letter(std::string_view name) {
    for (const char c : name) {
        if (Is_Ascii_Letter(c)) return true;
    }
    return false;
}

/// `name` with every ASCII letter in the other case.
std::string Case_Flipped(std::string_view name) {
    std::string flipped(name);
    for (char& c : flipped) {
        if (Is_Ascii_Letter(c)) c = static_cast<char>(c ^ 0x20);
    }
    return flipped;
}

}  // namespace

FolderCache::Folder& FolderCache::Find(std::string_view folder) {
    key_.assign(folder.data(), folder.size());
    const auto found = folders_.find(key_);
    if (found != folders_.end()) return found->second;
    Folder& made = folders_[key_];
    made.path = key_;
    return made;
}

bool FolderCache::Ask(const Folder& folder, std::string_view name, bool any_kind) {
    path_.assign(folder.path);
    path_.append(name.data(), name.size());
    return any_kind ? CPath::Exists(path_) : CPath::Is_File(path_);
}

void FolderCache::List(Folder& folder) {
    std::vector<ListedName> listed;
    if (!List_Folder(folder.path, listed)) {
        folder.state = Folder::State::unlisted;
        return;
    }
    folder.state = Folder::State::listed;
    for (const ListedName& entry : listed) {
        const Folder::Kind kind = !entry.certain ? Folder::Kind::unsure
                                  : entry.folder ? Folder::Kind::folder
                                                 : Folder::Kind::file;
        folder.names.emplace(entry.name, kind);
    }

    // Whether the folder ignores letter case is learnt from one name that certainly exists:
    // asked for in the other case, it is found only where case is ignored.
    bool some_lettered = false;
    bool some_unusual = false;
    const ListedName* witness = nullptr;
    for (const ListedName& entry : listed) {
        if (!Is_Plain(entry.name)) some_unusual = true;
        if (!Has_Letter(entry.name)) continue;
        some_lettered = true;
        if (witness == nullptr && entry.certain) witness = &entry;
    }
    bool known = !some_lettered;
    if (witness != nullptr) {
        const std::string flipped = Case_Flipped(witness->name);
        // Two names that differ in case alone only live together where case counts.
        folder.ignores_case = folder.names.count(flipped) == 0 && Ask(folder, flipped, true);
        known = true;
    }
    // Where case is ignored, the file system may also fold letters beyond ASCII onto ASCII ones.
    folder.misses_are_certain = known && !(folder.ignores_case && some_unusual);
    if (folder.ignores_case) {
        std::unordered_map<std::string, Folder::Kind> lowered;
        for (const auto& entry : folder.names) {
            std::string name = entry.first;
            for (char& c : name) c = Ascii_Lower(c);
            lowered.emplace(std::move(name), entry.second);
        }
        folder.names.swap(lowered);
    }
}

bool FolderCache::Has_File(Folder& folder, std::string_view name) {
    const bool listable = listing_ && folder.state != Folder::State::unlisted && !name.empty() &&
                          name != "." && name != ".." && Is_Plain(name) &&
                          Listing_Can_Answer(folder.path, name);
    if (!listable) return Ask(folder, name);
    if (folder.state == Folder::State::unasked) {
        folder.state = Folder::State::asked_once;
        return Ask(folder, name);
    }
    if (folder.state == Folder::State::asked_once) {
        List(folder);
        if (folder.state == Folder::State::unlisted) return Ask(folder, name);
    }
    key_.assign(name.data(), name.size());
    if (folder.ignores_case) {
        for (char& c : key_) c = Ascii_Lower(c);
    }
    const auto found = folder.names.find(key_);
    if (found == folder.names.end()) return folder.misses_are_certain ? false : Ask(folder, name);
    // A link's target decides.
    if (found->second == Folder::Kind::unsure) return Ask(folder, name);
    return found->second == Folder::Kind::file;
}

bool FolderCache::Has_File(std::string_view path) {
    std::size_t end = path.size();
    while (end > 0 && !Is_Path_Separator(path[end - 1])) --end;
    if (end == 0) {
        path_.assign(path.data(), path.size());
        return CPath::Is_File(path_);
    }
    return Has_File(Find(path.substr(0, end)), path.substr(end));
}
