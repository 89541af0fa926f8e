#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>

#include "path/folder_listing.h"

namespace {

struct FolderCloser {
    void operator()(DIR* folder) const { closedir(folder); }
};

}  // namespace

bool List_Folder(const std::string& folder, std::vector<ListedName>& names) {
    // Listing needs read permission and finding a name search permission: a folder with only
    // the first lists names that a look-up cannot reach.
    if (faccessat(AT_FDCWD, folder.c_str(), X_OK, AT_EACCESS) != 0) return false;
    const std::unique_ptr<DIR, FolderCloser> listing(opendir(folder.c_str()));
    if (!listing) return false;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(listing.get());
        if (entry == nullptr) return errno == 0;
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        // A link is followed by the look-up and may lead nowhere.
        const bool certain = entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN;
        names.push_back(ListedName{name, certain, entry->d_type == DT_DIR});
    }
}

bool Listing_Can_Answer(std::string_view folder, std::string_view name) {
    // A path the system refuses as too long finds nothing, listed or not.
    return folder.size() + name.size() < PATH_MAX;
}
