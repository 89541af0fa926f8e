// The path operations under both syntaxes on two paths, the bytes after the second byte split at
// the first line feed: a second normalization changes nothing but a device prefix, and a join
// keeps the bytes it was made of.

#include <cstdlib>
#include <string>

#include "path/path.h"

template <typename Path>
void Check(const std::string& first, const std::string& second) {
    std::string normal = first;
    if (!Path::Normalize(normal)) std::abort();
    std::string again = normal;
    if (!Path::Normalize(again) || (again != normal && normal.rfind("\\\\", 0) != 0)) std::abort();
    std::string joined;
    if (!Path::Join(joined, first, second)) std::abort();
    const bool kept = joined.size() >= second.size() &&
                      joined.compare(joined.size() - second.size(), second.size(), second) == 0;
    if (!kept || (!Path::Is_Absolute(second) && joined.rfind(first, 0) != 0)) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < 2) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t cut = text.find('\n');
    const std::string first = text.substr(0, cut);
    const std::string second = cut == std::string::npos ? "" : text.substr(cut + 1);
    Check<CBasicPath<WindowsPathSyntax>>(first, second);
    Check<CBasicPath<PosixPathSyntax>>(first, second);
    return 0;
}
