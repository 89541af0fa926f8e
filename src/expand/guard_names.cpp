#include "expand/guard_names.h"

#include <new>

#include "digest/sha1.h"
#include "expand/frame_file.h"
#include "expand/path_map.h"
#include "path/path.h"
#include "path/path_chars.h"

namespace {

// "__" + `tag` + the file name with letters in capitals, digits kept and every other byte made
// '_', then '_' and the 40 capital hex digits of the key's SHA-1 digest.
std::string Guard_Name(std::string_view key, const char* tag) {
    std::string file_name;
    if (!CPath::Get_Filename(file_name, std::string(key))) throw std::bad_alloc();
    std::string name = "__";
    name += tag;
    for (const char c : file_name) {
        const bool digit = c >= '0' && c <= '9';
        name.push_back(Is_Ascii_Letter(c) ? Ascii_Upper(c) : digit ? c : '_');
    }
    name.push_back('_');
    name += Sha1_Hex(key);
    return name;
}

}  // namespace

bool Guard_Key(const char* path, std::string& key) {
    key = path;
    // Standard input is no path to make absolute: its name is its key.
    if (path == kStandardInputName) return true;
    if (!CPath::Is_Absolute(key) && !CPath::To_Absolute(key)) return false;
    // Both separators are read as one, so a file named with either is the same file.
    for (char& c : key) {
        if (c == '\\') c = '/';
        if (kFileNamesIgnoreCase) c = Ascii_Lower(c);
    }
    return true;
}

const std::string& GuardNames::Issue(const std::string& key, const char* tag,
                                     const PathPrefixMap& map, Diagnostics& diagnostics) {
    // The name is hashed from the path as the output shows it, with '/' as the separator, so
    // that a tree joined in another folder or on another platform gets the same names.
    std::string scratch;
    std::string shown(Map_Path(key, map, scratch));
    for (char& c : shown) {
        if (c == '\\') c = '/';
    }
    std::string name = Guard_Name(shown, tag);
    if (names_.count(name) != 0) {
        diagnostics.Warning("file guard collision: %s", name.c_str());
        while (names_.count(name) != 0) name.push_back('_');
    }
    return *names_.insert(std::move(name)).first;
}
