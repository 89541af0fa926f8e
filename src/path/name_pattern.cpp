#include "path/name_pattern.h"

#include "path/path_chars.h"

bool Matches_Pattern(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] != '*') {
        if (name.empty()) return false;
        const bool same = pattern[0] == name[0] ||
                          (Is_Path_Separator(pattern[0]) && Is_Path_Separator(name[0]));
        return same && Matches_Pattern(pattern.substr(1), name.substr(1));
    }
    const bool across = pattern.size() > 1 && pattern[1] == '*';
    const std::string_view rest = pattern.substr(across ? 2 : 1);
    if (across && !rest.empty() && Is_Path_Separator(rest[0]) &&
        Matches_Pattern(rest.substr(1), name)) {
        return true;
    }
    // The star takes ever more of the name, within a folder name unless it crosses folders.
    for (std::size_t taken = 0;; ++taken) {
        if (Matches_Pattern(rest, name.substr(taken))) return true;
        if (taken == name.size() || (!across && Is_Path_Separator(name[taken]))) return false;
    }
}
