#include <windows.h>

#include <cstring>

#include "path/folder_listing.h"
#include "path/path_chars.h"

namespace {

/// CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9, CONIN$ and CONOUT$, in any case: the look-up
/// finds the device in every folder, whatever follows the first dot.
bool Is_Device_Name(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    std::string upper;
    for (const char c : stem) upper.push_back(Ascii_Upper(c));
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" ||
        upper == "CONOUT$") {
        return true;
    }
    return upper.size() == 4 &&
           (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '0' && upper[3] <= '9';
}

}  // namespace

bool List_Folder(const std::string& folder, std::vector<ListedName>& names) {
    // Server paths and the \\?\ and \\.\ forms are left to the look-up itself.
    if (folder.size() >= 2 && Is_Path_Separator(folder[0]) && Is_Path_Separator(folder[1]))
        return false;
    const std::string pattern = folder + "*";
    WIN32_FIND_DATAA data;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool complete = false;
    for (;;) {
        const char* name = data.cFileName;
        // The look-up finds a link itself, not its target: every listed name is certain.
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
            try {
                const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                names.push_back(ListedName{name, true, folder});
            } catch (...) {
                FindClose(search);
                throw;
            }
        }
        if (!FindNextFileA(search, &data)) {
            complete = GetLastError() == ERROR_NO_MORE_FILES;
            break;
        }
    }
    FindClose(search);
    return complete;
}

bool Listing_Can_Answer(std::string_view folder, std::string_view name) {
    if (folder.size() + name.size() >= MAX_PATH) return false;
    // '*', '?', '<', '>' and '"' are patterns to the look-up, ':' names a stream, '~' may be
    // part of a short name, and trailing dots and spaces are dropped.
    if (name.find_first_of("*?<>\":~") != std::string_view::npos) return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    return !Is_Device_Name(name);
}
