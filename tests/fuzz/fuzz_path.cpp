// Fuzz target: the path operations under the Windows and the POSIX syntax. Input: a byte not
// used, a byte that picks the current directory, then two paths separated by the first line feed.
// Checked: Normalize is idempotent, To_Absolute and Join keep the bytes they were made of, and an
// output that is also an input gives the same result.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "path/path.h"

namespace {

const char* g_directory = nullptr;  // null makes the query fail

CurrentDirectoryAnswer Query(char* buffer, std::size_t size) {
    if (g_directory == nullptr) return CurrentDirectoryAnswer::failed;
    if (std::strlen(g_directory) + 1 > size) return CurrentDirectoryAnswer::too_small;
    std::strcpy(buffer, g_directory);
    return CurrentDirectoryAnswer::done;
}

bool Ends_With(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

template <typename Syntax>
void Check_All(const std::string& first, const std::string& second, const char* current) {
    using Path = CBasicPath<Syntax>;
    g_directory = current;
    for (const std::string& path : {first, second}) {
        // One normalization takes one layer off nested Windows device prefixes.
        std::string normal = path, again;
        FUZZ_CHECK(Path::Normalize(normal));
        again = normal;
        FUZZ_CHECK(Path::Normalize(again));
        FUZZ_CHECK(again == normal || (Syntax::kDrives && (normal.rfind("\\\\?\\", 0) == 0 ||
                                                           normal.rfind("\\\\.\\", 0) == 0)));
        std::string absolute = "stale", in_place = path;
        const bool made = Path::To_Absolute(absolute, path);
        FUZZ_CHECK(Path::To_Absolute(in_place) == made && (!made || in_place == absolute));
        FUZZ_CHECK(made == (current != nullptr || Path::Is_Absolute(path)));
        FUZZ_CHECK(!made || (Path::Is_Absolute(absolute) && Ends_With(absolute, path)));
    }
    std::string joined = "stale", same = second;
    FUZZ_CHECK(Path::Join(joined, first, second) && Path::Join(same, first, same));
    FUZZ_CHECK(same == joined);
    FUZZ_CHECK(Path::Is_Absolute(second)
                   ? joined == second
                   : joined.rfind(first, 0) == 0 && Ends_With(joined, second));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;  // the first byte is not used
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t cut = text.find('\n');
    const std::string first(text.substr(0, cut));
    const std::string second(cut == std::string_view::npos ? "" : text.substr(cut + 1));
    static const char* const kWindows[] = {"C:\\work", "\\\\server\\share\\a\\long\\folder",
                                           nullptr};
    static const char* const kPosix[] = {"/work", "/", nullptr};
    WindowsPathSyntax::query_current_directory = &Query;
    PosixPathSyntax::query_current_directory = &Query;
    Check_All<WindowsPathSyntax>(first, second, kWindows[data[1] % 3]);
    Check_All<PosixPathSyntax>(first, second, kPosix[data[1] % 3]);
    return 0;
}
