#include "expand/include_resolution.h"

#include "path/path.h"

bool Prepare_Include_Paths(std::vector<const char*>& include_paths, StringPool& pool, FILE* err) {
    for (const char*& entry : include_paths) {
        if (CPath::Is_Absolute(entry)) continue;
        std::string& absolute = pool.Add(entry);
        if (!CPath::To_Absolute(absolute)) {
            std::fprintf(err, "error: failed to make absolute path '%s'\n", entry);
            return false;
        }
        entry = absolute.c_str();
    }
    return true;
}

const char* IncludeResolver::Resolve(const std::string& name, bool angle,
                                     const IncludeFrame& includer, FILE* err, bool& not_found) {
    not_found = false;
    if (CPath::Is_Absolute(name)) return name.c_str();
    if (!angle) {
        // Beside the includer. An includer named by an absolute path keeps its directory as it
        // is: a file in a root directory has a directory part that alone is not absolute.
        const std::string includer_path = includer.path;
        const bool made = CPath::Get_Path(directory_, includer_path) &&
                          (CPath::Is_Absolute(includer_path) || CPath::To_Absolute(directory_)) &&
                          CPath::Join(candidate_, directory_, name) && CPath::Normalize(candidate_);
        if (!made) {
            std::fprintf(err, "error: failed to make absolute path '%s'\n", name.c_str());
            return nullptr;
        }
        if (CPath::Exists(candidate_)) return pool_.Add(candidate_).c_str();

        if (!CPath::To_Absolute(candidate_, name) || !CPath::Normalize(candidate_)) {
            std::fprintf(err, "error: failed to make absolute path '%s'\n", name.c_str());
            return nullptr;
        }
        if (CPath::Exists(candidate_)) return pool_.Add(candidate_).c_str();
    }
    for (const char* directory : include_paths_) {
        if (!CPath::Join(candidate_, directory, name.c_str()) || !CPath::Normalize(candidate_)) {
            std::fprintf(err, "error: failed to join paths '%s' + '%s'\n", directory, name.c_str());
            return nullptr;
        }
        if (CPath::Exists(candidate_)) return pool_.Add(candidate_).c_str();
    }
    not_found = true;
    return nullptr;
}
