#include "expand/path_map.h"

#include "path/path.h"
#include "path/path_chars.h"

namespace {

// Whether two bytes of a path stand for the same thing: where file names ignore case, letters
// of either case and both separators are alike.
bool Same_Path_Byte(char a, char b) {
    if (a == b || !kFileNamesIgnoreCase) return a == b;
    return Ascii_Lower(a) == Ascii_Lower(b) || (Is_Path_Separator(a) && Is_Path_Separator(b));
}

bool Starts_With_Path(std::string_view path, std::string_view prefix) {
    if (path.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (!Same_Path_Byte(path[i], prefix[i])) return false;
    }
    return true;
}

}  // namespace

std::string_view Map_Path(std::string_view path, const PathPrefixMap& map, std::string& scratch) {
    for (auto pair = map.rbegin(); pair != map.rend(); ++pair) {
        if (!Starts_With_Path(path, pair->first)) continue;
        scratch.assign(pair->second);
        scratch.append(path.substr(pair->first.size()));
        return scratch;
    }
    return path;
}
