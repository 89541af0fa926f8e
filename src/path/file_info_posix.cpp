#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <limits>

#include "path/file_entry.h"

namespace {

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

bool Look_Up_Entry(const char* name, FileEntry& entry) {
#if defined(STATX_BTIME)
    struct statx extended;
    if (statx(AT_FDCWD, name, 0, STATX_BASIC_STATS | STATX_BTIME, &extended) == 0) {
        entry.is_directory = S_ISDIR(extended.stx_mode);
        entry.size = extended.stx_size;
        entry.last_access_time = Calendar_Time(extended.stx_atime.tv_sec);
        entry.last_write_time = Calendar_Time(extended.stx_mtime.tv_sec);
        // Not every file system records a birth time; the last status change stands in.
        const bool born = (extended.stx_mask & STATX_BTIME) != 0;
        entry.creation_time =
            Calendar_Time(born ? extended.stx_btime.tv_sec : extended.stx_ctime.tv_sec);
        return true;
    }
    // An older kernel or a sandbox may refuse statx itself; stat still answers.
#endif
    struct stat answer;
    if (stat(name, &answer) != 0) return false;
    entry.is_directory = S_ISDIR(answer.st_mode);
    entry.size = static_cast<std::uint64_t>(answer.st_size);
#if defined(__APPLE__)
    entry.creation_time = Calendar_Time(answer.st_birthtimespec.tv_sec);
    entry.last_access_time = Calendar_Time(answer.st_atimespec.tv_sec);
    entry.last_write_time = Calendar_Time(answer.st_mtimespec.tv_sec);
#else
    entry.creation_time = Calendar_Time(answer.st_ctim.tv_sec);
    entry.last_access_time = Calendar_Time(answer.st_atim.tv_sec);
    entry.last_write_time = Calendar_Time(answer.st_mtim.tv_sec);
#endif
    return true;
}

EntryKind Entry_Kind(const char* name) {
    struct stat answer;
    if (stat(name, &answer) != 0) return EntryKind::none;
    return S_ISDIR(answer.st_mode) ? EntryKind::folder : EntryKind::file;
}

bool May_Access(const char* name, AccessMode mode) {
    switch (mode) {
        case AccessMode::read_write:
            return access(name, R_OK | W_OK) == 0;
        case AccessMode::write:
            return access(name, W_OK) == 0;
        case AccessMode::read:
            return access(name, R_OK) == 0;
    }
    return false;
}
