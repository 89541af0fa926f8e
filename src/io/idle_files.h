#pragma once

#include <array>
#include <cstddef>
#include <cstdio>

#include "path/file_identity.h"

/// Regular files whose readers are done with them, kept open for a while, so that including
/// the same file again rewinds it instead of opening it anew. Holds a few streams at most, and
/// none when an open fails for want of descriptors.
class IdleFiles {
  public:
    IdleFiles() = default;
    ~IdleFiles();
    IdleFiles(const IdleFiles&) = delete;
    IdleFiles& operator=(const IdleFiles&) = delete;

    /// Open_Text_For_Reading of `path`, or a kept stream of the same path rewound to its start;
    /// `identity` is the file's. Null when it cannot be opened or is a directory.
    FILE* Open(const char* path, FileIdentity& identity);
    /// Takes back `file`, opened by Open for `path`, which must stay valid as long as this:
    /// kept when it is a regular file, the oldest kept one closed to make room; else closed.
    void Give_Back(const char* path, FILE* file, const FileIdentity& identity);

  private:
    struct Kept {
        const char* path = nullptr;
        FILE* file = nullptr;
        FileIdentity identity;
    };
    void Close_All();
    /// Removes the `i`th kept stream from the list, the later ones moving up, and returns it.
    Kept Take(std::size_t i);

    static constexpr std::size_t kCapacity = 8;
    std::array<Kept, kCapacity> kept_;  ///< oldest first
    std::size_t count_ = 0;
};
