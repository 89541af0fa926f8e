#include "io/idle_files.h"

#include <cstring>

#include "io/text_file.h"

IdleFiles::~IdleFiles() {
    Close_All();
}

void IdleFiles::Close_All() {
    // Nothing was written through these streams, so the result of closing says nothing.
    for (std::size_t i = 0; i < count_; ++i) std::fclose(kept_[i].file);
    count_ = 0;
}

IdleFiles::Kept IdleFiles::Take(std::size_t i) {
    const Kept taken = kept_[i];
    for (std::size_t j = i + 1; j < count_; ++j) kept_[j - 1] = kept_[j];
    --count_;
    return taken;
}

FILE* IdleFiles::Open(const char* path, FileIdentity& identity) {
    // The newest first: a file included again is most often the one just closed.
    for (std::size_t i = count_; i-- > 0;) {
        if (std::strcmp(kept_[i].path, path) != 0) continue;
        const Kept found = Take(i);
        if (Rewind_Text(found.file)) {
            identity = found.identity;
            return found.file;
        }
        std::fclose(found.file);
        break;
    }
    FILE* file = Open_Text_For_Reading(path, &identity);
    if (file == nullptr && count_ > 0) {
        // The kept streams may hold the last descriptors the process may have.
        Close_All();
        file = Open_Text_For_Reading(path, &identity);
    }
    return file;
}

void IdleFiles::Give_Back(const char* path, FILE* file, const FileIdentity& identity) {
    // Only a regular file reads the same again from its start.
    if (!identity.valid) {
        std::fclose(file);
        return;
    }
    if (count_ == kCapacity) std::fclose(Take(0).file);
    kept_[count_++] = Kept{path, file, identity};
}
