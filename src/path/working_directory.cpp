#include "path/working_directory.h"

#include "path/path.h"

bool WorkingDirectory::To_Absolute(std::string& path) {
    if (CPath::Is_Absolute(path)) return true;
    if (!known_) {
        // A failure is not kept: the next path asks again, as CPath::To_Absolute would.
        if (!CPath::Get_CurrentDirectory(directory_)) return false;
        known_ = true;
    }
    // Built aside, so that a failure leaves the path as it was.
    std::string joined;
    if (!CPath::Join(joined, directory_, path)) return false;
    path.swap(joined);
    return true;
}
