#pragma once

// The one question the rest of the program asks the file system about a path, which each
// platform answers in its own way.

/// What kind of entry is under a name, as far as including it goes.
enum class EntryKind { none, file, folder };

/// The kind of the entry under `name`, asking the file system nothing more than that; a drive
/// root is a folder (Windows). Anything that is not a folder is a file.
EntryKind Entry_Kind(const char* name);
