#include <unistd.h>

#include <cerrno>

#include "path/path.h"

CurrentDirectoryAnswer Query_Current_Directory(char* buffer, std::size_t size) {
    if (getcwd(buffer, size) != nullptr) return CurrentDirectoryAnswer::done;
    // getcwd also fails when the directory was removed or a parent cannot be read; only ERANGE
    // means that a larger buffer would help.
    return errno == ERANGE ? CurrentDirectoryAnswer::too_small : CurrentDirectoryAnswer::failed;
}
