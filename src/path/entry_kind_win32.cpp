#include <windows.h>

#include <cstring>

#include "path/entry_kind.h"
#include "path/path_chars.h"

namespace {

/// Exactly a letter, ':' and a backslash.
bool Is_Drive_Root(const char* name) {
    return Is_Ascii_Letter(name[0]) && name[1] == ':' && name[2] == '\\' && name[3] == '\0';
}

// Finds `name` as FindFirstFileA does, or as the drive root its full form names; false when
// there is neither.
bool Find_Entry(const char* name, WIN32_FIND_DATAA& data) {
    const HANDLE search = FindFirstFileA(name, &data);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        return true;
    }
    // A drive root has no directory entry of its own, so the search finds nothing; it is
    // recognised by its full form ("C:", "\" and "C:/" can all stand for "C:\").
    char full[4] = {'\0', '\0', '\0', '\0'};
    const char* root = name;
    if (GetFullPathNameA(name, static_cast<DWORD>(sizeof full), full, nullptr) == 3 &&
        full[3] == '\0' && Is_Drive_Root(full)) {
        root = full;
    }
    if (!Is_Drive_Root(root)) return false;
    // A root always counts as existing, with zero size and times; even a drive that is not
    // there gets the failure value, whose bits include the directory bit.
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = GetFileAttributesA(root);
    return true;
}

}  // namespace

EntryKind Entry_Kind(const char* name) {
    WIN32_FIND_DATAA data;
    if (!Find_Entry(name, data)) return EntryKind::none;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::folder
                                                                   : EntryKind::file;
}
