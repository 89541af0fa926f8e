#include <direct.h>

#include <cerrno>
#include <climits>

#include "path/path.h"

CurrentDirectoryAnswer Query_Current_Directory(char* buffer, std::size_t size) {
    // _getcwd takes an int length; a buffer beyond that cannot be offered at all.
    if (size > static_cast<std::size_t>(INT_MAX)) return CurrentDirectoryAnswer::failed;
    errno = 0;
    if (_getcwd(buffer, static_cast<int>(size)) != nullptr) return CurrentDirectoryAnswer::done;
    return errno == ERANGE ? CurrentDirectoryAnswer::too_small : CurrentDirectoryAnswer::failed;
}
