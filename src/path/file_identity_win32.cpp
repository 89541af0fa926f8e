#include <io.h>
#include <windows.h>

#include "path/file_identity.h"

namespace {

FileIdentity From_Handle(HANDLE handle) {
    FileIdentity identity;
    BY_HANDLE_FILE_INFORMATION info;
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(handle, &info)) {
        return identity;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        identity.directory = true;
        return identity;
    }
    identity.valid = true;
    identity.device = info.dwVolumeSerialNumber;
    identity.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return identity;
}

}  // namespace

FileIdentity Get_File_Identity(const char* path) {
    // Opening with no access rights reads the identity without disturbing a writer.
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return FileIdentity{};
    FileIdentity identity = From_Handle(handle);
    CloseHandle(handle);
    return identity;
}

FileIdentity Get_File_Identity(FILE* file) {
    if (file == nullptr) return FileIdentity{};
    return From_Handle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
}
