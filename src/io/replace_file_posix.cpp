#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "io/replace_file.h"

OutputKind Output_Kind(const char* path, std::string& target) {
    target = path;
    struct stat info;
    if (stat(path, &info) != 0) {
        // A link that leads nowhere is written through, creating the file it names.
        struct stat link;
        return lstat(path, &link) == 0 ? OutputKind::streamed : OutputKind::replaced;
    }
    if (!S_ISREG(info.st_mode)) return OutputKind::streamed;
    struct stat link;
    if (lstat(path, &link) == 0 && S_ISLNK(link.st_mode)) {
        char* resolved = realpath(path, nullptr);
        if (resolved == nullptr) return OutputKind::streamed;
        target = resolved;
        std::free(resolved);
    }
    return OutputKind::replaced;
}

FILE* Create_Replacement(const std::string& target, std::string& temporary) {
    struct stat existing;
    const bool exists = stat(target.c_str(), &existing) == 0;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::uint64_t state = static_cast<std::uint64_t>(now.tv_nsec) ^
                          (static_cast<std::uint64_t>(now.tv_sec) << 20) ^
                          (static_cast<std::uint64_t>(getpid()) << 40);
    for (int attempt = 0; attempt < 100; ++attempt) {
        Replacement_Path(target, "/", state, temporary);
        // Mode 0666 lets the umask (and a default ACL) decide, as for any new file.
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return nullptr;
        }
        FILE* file = nullptr;
        if (!exists || fchmod(fd, existing.st_mode & 07777) == 0) file = fdopen(fd, "w");
        if (file == nullptr) {
            close(fd);
            unlink(temporary.c_str());
        }
        return file;
    }
    return nullptr;
}

bool Replace_File(const char* temporary, const char* target) {
    return rename(temporary, target) == 0;
}
