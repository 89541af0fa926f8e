#include "expand/include_resolution.h"

#include <string_view>

#include "path/path.h"
#include "path/path_chars.h"

namespace {

/// A name that canonical form leaves as the last component of any path it is joined to: no
/// separators, and not "." or "..". (Nor a NUL, where the name as a directory holds it ends.)
bool Is_Single_Component(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name) {
        if (Is_Path_Separator(c) || c == '\0') return false;
    }
    return true;
}

}  // namespace

bool Prepare_Include_Paths(std::vector<const char*>& include_paths, StringPool& pool,
                           WorkingDirectory& working_directory, Diagnostics& diagnostics) {
    for (const char*& entry : include_paths) {
        if (CPath::Is_Absolute(entry)) continue;
        std::string& absolute = pool.Add(entry);
        if (!working_directory.To_Absolute(absolute)) {
            diagnostics.Error("failed to make absolute path '%s'", entry);
            return false;
        }
        entry = absolute.c_str();
    }
    return true;
}

bool IncludeResolver::Take(const std::string& path, std::string_view folder,
                           const std::string& name, Found& found) {
    found.path = pool_.Intern(path).c_str();
    given_.assign(folder.data(), folder.size());
    given_ += name;
    found.given_name = pool_.Intern(given_).c_str();
    return true;
}

void IncludeResolver::Prepare_Search_Folders() {
    search_folders_.resize(include_paths_.size());
    for (std::size_t i = 0; i < include_paths_.size(); ++i) {
        // The canonical form of a directory joined with a single component is the directory's
        // canonical form, a separator where it does not end in one, and the component, as long
        // as that form begins with a drive or the root: a server or device prefix could take
        // the component into itself.
        std::string prefix = include_paths_[i];
        if (!CPath::Normalize(prefix)) continue;
        if (prefix.empty() || !Is_Path_Separator(prefix.back()))
            prefix += NativePathSyntax::kSeparator;
        const bool plain_root = CPath::Is_Absolute(prefix) &&
                                !(Is_Path_Separator(prefix[0]) && Is_Path_Separator(prefix[1]));
        if (!plain_root) continue;
        search_folders_[i].folder = &folders_.Find(prefix);
        search_folders_[i].prefix = std::move(prefix);
    }
    search_folders_ready_ = true;
}

bool IncludeResolver::Resolve(const std::string& name, bool angle, const IncludeFrame& includer,
                              Diagnostics& diagnostics, Found& found, bool& not_found) {
    not_found = false;
    if (CPath::Is_Absolute(name)) return Take(name, {}, name, found);
    if (!angle) {
        // Beside the includer. An includer named by an absolute path keeps its directory as it
        // is: a file in a root directory has a directory part that alone is not absolute.
        const std::string includer_path = includer.path;
        const bool made =
            CPath::Get_Path(directory_, includer_path) &&
            (CPath::Is_Absolute(includer_path) || working_directory_.To_Absolute(directory_)) &&
            CPath::Join(candidate_, directory_, name) && CPath::Normalize(candidate_);
        if (!made) {
            diagnostics.Error("failed to make absolute path '%s'", name.c_str());
            return false;
        }
        if (folders_.Has_File(candidate_)) {
            // Named after the includer's folder as the includer is named, up to its last
            // separator.
            std::string_view folder = includer.given_name;
            std::size_t end = folder.size();
            while (end > 0 && !Is_Path_Separator(folder[end - 1])) --end;
            return Take(candidate_, folder.substr(0, end), name, found);
        }

        candidate_ = name;
        if (!working_directory_.To_Absolute(candidate_) || !CPath::Normalize(candidate_)) {
            diagnostics.Error("failed to make absolute path '%s'", name.c_str());
            return false;
        }
        static constexpr char kCurrent[] = {'.', NativePathSyntax::kSeparator, '\0'};
        if (folders_.Has_File(candidate_)) return Take(candidate_, kCurrent, name, found);
    }
    if (!search_folders_ready_) Prepare_Search_Folders();
    const bool single = listing_ && Is_Single_Component(name);
    for (std::size_t i = 0; i < include_paths_.size(); ++i) {
        const SearchFolder& search = search_folders_[i];
        const char* directory = include_paths_[i];
        bool exists = false;
        if (single && search.folder != nullptr) {
            // The candidate's folder is known without building the candidate.
            if (!folders_.Has_File(*search.folder, name)) continue;
            candidate_.assign(search.prefix).append(name);
            exists = true;
        } else if (!CPath::Join(candidate_, directory, name.c_str()) ||
                   !CPath::Normalize(candidate_)) {
            diagnostics.Error("failed to join paths '%s' + '%s'", directory, name.c_str());
            return false;
        } else {
            exists = folders_.Has_File(candidate_);
        }
        if (!exists) continue;
        std::string folder = given_paths_[i];
        if (!folder.empty() && !Is_Path_Separator(folder.back())) {
            folder += NativePathSyntax::kSeparator;
        }
        return Take(candidate_, folder, name, found);
    }
    not_found = true;
    return false;
}
