#include <sys/stat.h>

#include "path/file_identity.h"

namespace {

FileIdentity From_Stat(const struct stat& info) {
    FileIdentity identity;
    identity.directory = S_ISDIR(info.st_mode);
    if (S_ISREG(info.st_mode)) {
        identity.valid = true;
        identity.device = static_cast<std::uint64_t>(info.st_dev);
        identity.index = static_cast<std::uint64_t>(info.st_ino);
    }
    return identity;
}

}  // namespace

FileIdentity Get_File_Identity(const char* path) {
    struct stat info;
    if (stat(path, &info) != 0) return FileIdentity{};
    return From_Stat(info);
}

FileIdentity Get_File_Identity(FILE* file) {
    struct stat info;
    if (file == nullptr || fstat(fileno(file), &info) != 0) return FileIdentity{};
    return From_Stat(info);
}
