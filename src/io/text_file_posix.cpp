#include <sys/stat.h>

#include "io/text_file.h"

FILE* Open_Text_For_Reading(const char* path) {
    FILE* file = std::fopen(path, "r");
    if (file == nullptr) return nullptr;
    // fopen opens a directory here and only reading fails; refuse it at once, as Windows does.
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

FILE* Open_Text_For_Writing(const char* path) {
    return std::fopen(path, "w");
}

// There is no text mode to fold line ends for us.
const bool kReaderFoldsCarriageReturns = true;
