#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>

#include "io/replace_file.h"

OutputKind Output_Kind(const char* path, std::string& target) {
    target = path;
    // Opening with no access rights tells a disk file from a device without disturbing either.
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return OutputKind::replaced;
    const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
    CloseHandle(handle);
    return disk ? OutputKind::replaced : OutputKind::streamed;
}

FILE* Create_Replacement(const std::string& target, std::string& temporary) {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    std::uint64_t state = static_cast<std::uint64_t>(counter.QuadPart) ^
                          (static_cast<std::uint64_t>(GetCurrentProcessId()) << 40);
    for (int attempt = 0; attempt < 100; ++attempt) {
        Replacement_Path(target, "/\\:", state, temporary);
        // Others may read it but not write it, and it may be deleted while open, so that an
        // interrupt can remove it before the stream is closed. Windows files carry no
        // permission bits of the kind POSIX ones do: a new file gets the folder's defaults.
        HANDLE handle =
            CreateFileA(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return nullptr;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_TEXT);
        FILE* file = fd < 0 ? nullptr : _fdopen(fd, "wt");
        if (file == nullptr) {
            if (fd < 0) {
                CloseHandle(handle);
            } else {
                _close(fd);
            }
            DeleteFileA(temporary.c_str());
        }
        return file;
    }
    return nullptr;
}

bool Replace_File(const char* temporary, const char* target) {
    return MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING) != 0;
}
