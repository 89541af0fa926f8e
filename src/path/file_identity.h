#pragma once

#include <cstdint>
#include <cstdio>

/// What makes a regular file the same file under two names: device and inode on POSIX,
/// volume serial number and file index on Windows.
struct FileIdentity {
    bool valid = false;      ///< false: not a regular file, or it could not be asked
    bool directory = false;  ///< the entry is a directory (and so not valid)
    std::uint64_t device = 0;
    std::uint64_t index = 0;
};

/// The identity of the regular file `path` names; not valid for anything else (missing files,
/// directories, devices).
FileIdentity Get_File_Identity(const char* path);

/// The identity of the regular file behind an open stream; not valid for anything else.
FileIdentity Get_File_Identity(FILE* file);

/// Both valid and equal.
inline bool Same_File(const FileIdentity& a, const FileIdentity& b) {
    return a.valid && b.valid && a.device == b.device && a.index == b.index;
}
