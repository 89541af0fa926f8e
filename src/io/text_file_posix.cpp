#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/text_file.h"

FILE* Open_Text_For_Reading(const char* path, FileIdentity* identity) {
    FILE* file = std::fopen(path, "r");
    if (file == nullptr) return nullptr;
    // fopen opens a directory here and only reading fails; refuse it at once, as Windows does.
    // The same status query gives the identity.
    const FileIdentity opened = Get_File_Identity(file);
    if (opened.directory) {
        std::fclose(file);
        return nullptr;
    }
    if (identity != nullptr) *identity = opened;
    return file;
}

std::size_t Read_Text(FILE* file, char* buffer, std::size_t size, bool& failed) {
    // There is no text mode to apply, so the descriptor is read straight into the caller's
    // buffer: the stream's own buffer would cost a copy and a status query to size it.
    for (;;) {
        const ssize_t count = read(fileno(file), buffer, size);
        if (count >= 0) return static_cast<std::size_t>(count);
        if (errno == EINTR) continue;
        failed = true;
        return 0;
    }
}

bool Rewind_Text(FILE* file) {
    // Reads bypass the stream, so its position and indicators are those of the descriptor.
    return lseek(fileno(file), 0, SEEK_SET) == 0;
}

FILE* Open_Text_For_Writing(const char* path) {
    return std::fopen(path, "w");
}

FILE* Open_For_Comparing(const char* path) {
    return std::fopen(path, "rb");
}

bool Matches_Text(FILE* file, const char* data, std::size_t size) {
    char chunk[16 * 1024];
    while (size > 0) {
        const std::size_t wanted = size < sizeof chunk ? size : sizeof chunk;
        if (std::fread(chunk, 1, wanted, file) != wanted) return false;
        if (std::memcmp(chunk, data, wanted) != 0) return false;
        data += wanted;
        size -= wanted;
    }
    return true;
}

bool Text_Ended(FILE* file) {
    return std::fgetc(file) == EOF && std::ferror(file) == 0;
}
