#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "io/replace_file.h"

namespace {

// Names that another run, started the same instant, is unlikely to pick too; a name taken
// already is passed over by the exclusive create.
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
    const std::size_t slash = target.rfind('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    struct stat existing;
    const bool exists = stat(target.c_str(), &existing) == 0;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::uint64_t state = static_cast<std::uint64_t>(now.tv_nsec) ^
                          (static_cast<std::uint64_t>(now.tv_sec) << 20) ^
                          (static_cast<std::uint64_t>(getpid()) << 40);
    static const char kDigits[] = "0123456789abcdef";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary.assign(target, 0, name).append(".").append(target, name, std::string::npos);
        temporary.append(".quillfold-");
        std::uint64_t bits = Next_Random(state);
        for (int i = 0; i < 8; ++i, bits >>= 4) temporary.push_back(kDigits[bits & 15]);
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
