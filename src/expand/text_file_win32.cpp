#include <cstdio>

#include "expand/text_file.h"

FILE* Open_Text_For_Reading(const char* path) {
    FILE* file = nullptr;
    // Text mode folds CR LF into LF and ends the file at a Ctrl-Z byte.
    if (fopen_s(&file, path, "r") != 0) return nullptr;
    return file;
}

FILE* Open_Text_For_Writing(const char* path) {
    FILE* file = nullptr;
    if (fopen_s(&file, path, "w") != 0) return nullptr;
    return file;
}

// The runtime's text mode has already folded every CR LF pair.
const bool kReaderFoldsCarriageReturns = false;
