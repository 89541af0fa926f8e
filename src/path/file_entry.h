#pragma once

#include <cstdint>

#include "path/file_info.h"

// The platform's side of CFileInfo: the two questions each platform answers in its own way.
// The rules that turn the answers into the record live once, in file_info.cpp.

/// What the file system says about one existing entry.
struct FileEntry {
    bool is_directory = false;
    std::uint64_t size = 0;
    CFileTime creation_time;
    CFileTime last_access_time;
    CFileTime last_write_time;
};

/// Fills `entry` for `name`; false when nothing exists under it.
bool Look_Up_Entry(const char* name, FileEntry& entry);

/// What kind of entry is under a name, as far as including it goes.
enum class EntryKind { none, file, folder };

/// The kind of the entry under `name`: none exactly when Look_Up_Entry would find nothing, but
/// asking the file system nothing more than that. Anything that is not a folder is a file.
EntryKind Entry_Kind(const char* name);

/// How a path may be accessed, in the modes of the C runtime's access call.
enum class AccessMode { read_write = 6, write = 2, read = 4 };

/// True when `name` may be accessed in `mode`.
bool May_Access(const char* name, AccessMode mode);
