#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <limits>
#include <new>

#include "path/file_info.h"

namespace {

/// The part of a stat answer that the record keeps, whichever call gave it.
struct Entry {
    bool is_directory = false;
    std::uint64_t size = 0;
    std::time_t creation = 0;
    std::time_t last_access = 0;
    std::time_t last_write = 0;
};

bool Stat_Entry(const char* name, Entry& entry) {
#if defined(STATX_BTIME)
    struct statx extended;
    if (statx(AT_FDCWD, name, 0, STATX_BASIC_STATS | STATX_BTIME, &extended) == 0) {
        entry.is_directory = S_ISDIR(extended.stx_mode);
        entry.size = extended.stx_size;
        entry.last_access = static_cast<std::time_t>(extended.stx_atime.tv_sec);
        entry.last_write = static_cast<std::time_t>(extended.stx_mtime.tv_sec);
        // Not every file system records a birth time; the last status change stands in.
        const bool born = (extended.stx_mask & STATX_BTIME) != 0;
        entry.creation =
            static_cast<std::time_t>(born ? extended.stx_btime.tv_sec : extended.stx_ctime.tv_sec);
        return true;
    }
    // An older kernel or a sandbox may refuse statx itself; stat still answers.
#endif
    struct stat answer;
    if (stat(name, &answer) != 0) return false;
    entry.is_directory = S_ISDIR(answer.st_mode);
    entry.size = static_cast<std::uint64_t>(answer.st_size);
#if defined(__APPLE__)
    entry.creation = answer.st_birthtimespec.tv_sec;
    entry.last_access = answer.st_atimespec.tv_sec;
    entry.last_write = answer.st_mtimespec.tv_sec;
#else
    entry.creation = answer.st_ctim.tv_sec;
    entry.last_access = answer.st_atim.tv_sec;
    entry.last_write = answer.st_mtim.tv_sec;
#endif
    return true;
}

CFileTime Calendar_Time(std::time_t seconds) {
    CFileTime time;
    std::tm fields{};
    if (gmtime_r(&seconds, &fields) == nullptr) return time;
    // The year has 16 bits; a time beyond them cannot be told and stays unknown.
    const long year = 1900L + fields.tm_year;
    if (year < 0 || year > std::numeric_limits<std::int16_t>::max()) return time;
    time.month = static_cast<std::int16_t>(fields.tm_mon + 1);
    time.day = static_cast<std::int16_t>(fields.tm_mday);
    time.year = static_cast<std::int16_t>(year);
    time.hour = static_cast<std::int16_t>(fields.tm_hour);
    time.minute = static_cast<std::int16_t>(fields.tm_min);
    time.second = static_cast<std::int16_t>(fields.tm_sec);
    return time;
}

}  // namespace

CFileInfo::CFileInfo(const char* given) noexcept {
    if (given != nullptr) {
        try {
            path = given;
        } catch (const std::bad_alloc&) {
            return;
        }
    }
    const char* name = path.empty() ? "." : path.c_str();
    Entry entry;
    if (!Stat_Entry(name, entry)) {
        valid = true;  // the answer is complete: nothing is there
        return;
    }
    exists = true;
    // The member named access hides the function, hence the qualified calls.
    if (::access(name, R_OK | W_OK) == 0) {
        access = 3;
    } else if (::access(name, W_OK) == 0) {
        access = 1;
    } else if (::access(name, R_OK) == 0) {
        access = 2;
    }
    if (::access(name, W_OK) == 0) permissions += 2;
    if (::access(name, R_OK) == 0) permissions += 5;
    is_directory = entry.is_directory;
    size = entry.size;
    creation_time = Calendar_Time(entry.creation);
    last_access_time = Calendar_Time(entry.last_access);
    last_write_time = Calendar_Time(entry.last_write);
    valid = creation_time.year >= 0 && last_access_time.year >= 0 && last_write_time.year >= 0;
}
