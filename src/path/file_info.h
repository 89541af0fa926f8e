#pragma once

#include <cstdint>
#include <string>

/// One time stamp in UTC calendar fields; -1 in every field when unknown or not convertible.
struct CFileTime {
    std::int16_t month = -1;  ///< 1 to 12
    std::int16_t day = -1;    ///< 1 to 31
    std::int16_t year = -1;   ///< the full year number; negative marks an unknown time
    std::int16_t hour = -1;   ///< 0 to 23
    std::int16_t minute = -1;
    std::int16_t second = -1;
};

/// What the file system says about one path, gathered once by the constructor and never
/// refreshed.
class CFileInfo {
  public:
    /// Queries `path`; a null or empty path describes the current directory ("."). Never
    /// throws: running out of memory for the path leaves `valid` and `exists` false.
    explicit CFileInfo(const char* path) noexcept;

    bool valid = false;   ///< the query completed and every time converted
    bool exists = false;  ///< an entry of any kind is there
    bool is_directory = false;
    std::string path;               ///< as given; empty when it was null
    std::int32_t access = -1;       ///< 3 read and write, 1 write only, 2 read only, else -1
    std::uint32_t permissions = 0;  ///< 2 when writable, plus 5 when readable
    std::uint64_t size = 0;         ///< in bytes
    CFileTime creation_time;        ///< birth, or else the last status change (POSIX)
    CFileTime last_access_time;
    CFileTime last_write_time;
};
