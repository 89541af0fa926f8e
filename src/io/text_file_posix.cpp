#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
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

bool Write_Text_Pieces(FILE* file, const TextPiece* pieces, std::size_t count) {
    // One writev for many pieces; a short write goes on from the byte it stopped at.
    iovec vectors[64];
    std::size_t next = 0;
    std::size_t offset = 0;  // bytes of pieces[next] already written
    while (next < count) {
        int used = 0;
        for (std::size_t i = next; i < count && used < 64 && used < IOV_MAX; ++i, ++used) {
            const std::size_t skip = i == next ? offset : 0;
            vectors[used].iov_base = const_cast<char*>(pieces[i].data + skip);
            vectors[used].iov_len = pieces[i].size - skip;
        }
        ssize_t written = writev(fileno(file), vectors, used);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        auto left = static_cast<std::size_t>(written);
        while (next < count && left >= pieces[next].size - offset) {
            left -= pieces[next].size - offset;
            offset = 0;
            ++next;
        }
        offset += left;
    }
    return true;
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
