#include <share.h>

#include <cstdio>

#include "io/text_file.h"

// Text mode is asked for by name ("t"), so a program-wide binary default cannot switch it off.
//
// fopen_s would open the files unshared. The output being written must stay open for reading,
// and an input open for writing must stay readable, or reading the output as an include fails
// as a sharing violation instead of being refused as the output file. Hence _fsopen with the
// sharing spelled out: others may read the output while it is written, but not write it.

FILE* Open_Text_For_Reading(const char* path, FileIdentity* identity) {
    // Text mode folds CR LF into LF and ends the file at a Ctrl-Z byte.
    FILE* file = _fsopen(path, "rt", _SH_DENYNO);
    if (file != nullptr && identity != nullptr) *identity = Get_File_Identity(file);
    return file;
}

std::size_t Read_Text(FILE* file, char* buffer, std::size_t size, bool& failed) {
    // fread goes on until `size` bytes arrived, the end or an error: a short count is either.
    const std::size_t count = std::fread(buffer, 1, size, file);
    if (count < size && std::ferror(file) != 0) failed = true;
    return count;
}

bool Rewind_Text(FILE* file) {
    // fseek also clears the end-of-file indicator; the error indicator is cleared here.
    if (std::fseek(file, 0, SEEK_SET) != 0) return false;
    std::clearerr(file);
    return true;
}

FILE* Open_Text_For_Writing(const char* path) {
    return _fsopen(path, "wt", _SH_DENYWR);
}

bool Write_Text_Pieces(FILE* file, const TextPiece* pieces, std::size_t count) {
    // The stream's text mode turns each line feed into CR LF, so the pieces go through it.
    for (std::size_t i = 0; i < count; ++i) {
        if (std::fwrite(pieces[i].data, 1, pieces[i].size, file) != pieces[i].size) return false;
    }
    return true;
}

FILE* Open_For_Comparing(const char* path) {
    // Read as bytes, so a file that differs only in its line ends does not pass for current.
    return _fsopen(path, "rb", _SH_DENYNO);
}

bool Matches_Text(FILE* file, const char* data, std::size_t size) {
    // Text mode writes each line feed as a carriage return and a line feed.
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n' && std::getc(file) != '\r') return false;
        if (std::getc(file) != static_cast<unsigned char>(data[i])) return false;
    }
    return true;
}

bool Text_Ended(FILE* file) {
    return std::getc(file) == EOF && std::ferror(file) == 0;
}
