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
std::string Guard_Name(const std::string& key, const char* tag, std::string& file_name) {
    if (!CPath::Get_Filename(file_name, key)) throw std::bad_alloc();
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
    const std::string_view shown = Map_Path(key, map, scratch_);
    shown_.assign(shown.data(), shown.size());
    for (char& c : shown_) {
        if (c == '\\') c = '/';
    }
    std::string name = Guard_Name(shown_, tag, file_name_);
    auto issued = names_.insert(std::move(name));
    if (!issued.second) {
        name = *issued.first;
        diagnostics.Warning("file guard collision: %s", name.c_str());
        while (names_.count(name) != 0) name.push_back('_');
        issued = names_.insert(std::move(name));
    }
    return *issued.first;
}
