#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>

#include "io/replace_file.h"

namespace {

std::uint64_t Next_Random(std::uint64_t& state) {
    state += 0x9E3779B97F4A7C15u;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

}  // namespace

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
    const std::size_t separator = target.find_last_of("/\\:");
    const std::size_t name = separator == std::string::npos ? 0 : separator + 1;
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    std::uint64_t state = static_cast<std::uint64_t>(counter.QuadPart) ^
                          (static_cast<std::uint64_t>(GetCurrentProcessId()) << 40);
    static const char kDigits[] = "0123456789abcdef";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary.assign(target, 0, name).append(".").append(target, name, std::string::npos);
        temporary.append(".quillfold-");
        std::uint64_t bits = Next_Random(state);
        for (int i = 0; i < 8; ++i, bits >>= 4) temporary.push_back(kDigits[bits & 15]);
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
