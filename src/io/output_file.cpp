#include "io/output_file.h"

#include <cstring>

#include "io/replace_file.h"
#include "io/text_file.h"

OutputFile::~OutputFile() {
    Discard();
}

void OutputFile::Discard() {
    if (temporary_.empty()) return;
    std::remove(temporary_.c_str());
    cleanup_.Drop(temporary_.c_str());
    temporary_.clear();
}

FILE* OutputFile::Open(const char* path, FILE* standard_output) {
    if (std::strcmp(path, "-") == 0) {
        borrowed_ = true;
        return standard_output;
    }
    if (Output_Kind(path, target_) == OutputKind::streamed) return Open_Text_For_Writing(path);
    cleanup_.Hold();
    FILE* file = Create_Replacement(target_, temporary_);
    if (file == nullptr) {
        temporary_.clear();
    } else {
        cleanup_.Add(temporary_.c_str());
    }
    cleanup_.Release();
    return file;
}

bool OutputFile::Commit() {
    if (temporary_.empty()) return true;
    if (!Replace_File(temporary_.c_str(), target_.c_str())) return false;
    cleanup_.Drop(temporary_.c_str());
    temporary_.clear();
    return true;
}
