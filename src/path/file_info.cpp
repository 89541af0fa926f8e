#include "path/file_info.h"

#include <new>

#include "path/file_entry.h"

CFileInfo::CFileInfo(const char* given) noexcept {
    if (given != nullptr) {
        try {
            path = given;
        } catch (const std::bad_alloc&) {
            return;
        }
    }
    const char* name = path.empty() ? "." : path.c_str();
    FileEntry entry;
    if (!Look_Up_Entry(name, entry)) {
        valid = true;  // the answer is complete: nothing is there
        return;
    }
    exists = true;
    if (May_Access(name, AccessMode::read_write)) {
        access = 3;
    } else if (May_Access(name, AccessMode::write)) {
        access = 1;
    } else if (May_Access(name, AccessMode::read)) {
        access = 2;
    }
    if (May_Access(name, AccessMode::write)) permissions += 2;
    if (May_Access(name, AccessMode::read)) permissions += 5;
    is_directory = entry.is_directory;
    size = entry.size;
    creation_time = entry.creation_time;
    last_access_time = entry.last_access_time;
    last_write_time = entry.last_write_time;
    valid = creation_time.year >= 0 && last_access_time.year >= 0 && last_write_time.year >= 0;
}
