#include "expand/include_once.h"

#include <cstdio>
#include <new>

#include "digest/sha1.h"
#include "expand/frame_file.h"
#include "expand/line_numbering.h"
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

const std::string& Issue_Guard_Name(GuardTable& guards, const std::string& key, const char* tag,
                                    const PathPrefixMap& map, Diagnostics& diagnostics) {
    // The name is hashed from the path as the output shows it, with '/' as the separator, so
    // that a tree joined in another folder or on another platform gets the same names.
    std::string scratch;
    std::string shown(Map_Path(key, map, scratch));
    for (char& c : shown) {
        if (c == '\\') c = '/';
    }
    std::string name = Guard_Name(shown, tag);
    if (guards.names.count(name) != 0) {
        diagnostics.Warning("file guard collision: %s", name.c_str());
        while (guards.names.count(name) != 0) name.push_back('_');
    }
    return *guards.names.insert(std::move(name)).first;
}

void Report_Include(Diagnostics& diagnostics, const char* verb, const IncludeFrame& frame,
                    std::size_t depth) {
    if (depth <= 1) return;
    diagnostics.Report(static_cast<unsigned>(depth - 1), "%s '%s' (resolved as '%s')", verb,
                       frame.display_name, frame.path);
}

OnceResult Apply_Include_Once(const IncludeFrame& frame, const std::string& key, std::size_t depth,
                              OnceContext context) {
    std::string shown;
    const char* display_name = Map_Path(frame.display_name, context.map, shown).data();
    OutputStream& output = context.output;
    GuardTable& guards = context.guards;
    const auto found = guards.by_key.find(key);
    if (found != guards.by_key.end()) {
        Report_Include(context.diagnostics, "skipping", frame, depth);
        const char* guard = found->second->c_str();
        output.Print("#ifndef %s\n", guard);
        output.Print("#error \"include once error: file '%s' is not included\"\n",
                     Escape_C_String(display_name, context.scratch));
        output.Print("#endif // !%s\n", guard);
        return OnceResult::skipped;
    }

    Report_Include(context.diagnostics, "recursing to", frame, depth);
    const std::string& guard = Issue_Guard_Name(guards, key, "", context.map, context.diagnostics);
    guards.by_key.emplace(key, &guard);
    output.Print("#ifndef %s\n", guard.c_str());
    output.Print("#define %s\n", guard.c_str());
    output.Print("#else // !%s\n", guard.c_str());
    output.Print("#error \"include once error: file '%s' is already included\"\n",
                 Escape_C_String(display_name, context.scratch));
    output.Print("#endif // !%s\n", guard.c_str());
    return OnceResult::guarded;
}
