#include <sys/stat.h>

#include "path/entry_kind.h"

EntryKind Entry_Kind(const char* name) {
    struct stat answer;
    if (stat(name, &answer) != 0) return EntryKind::none;
    return S_ISDIR(answer.st_mode) ? EntryKind::folder : EntryKind::file;
}
