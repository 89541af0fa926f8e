// Fuzz target: the path operations on arbitrary paths, under the Windows and the POSIX syntax.
//
// Input: a byte that places two character arrays, a byte that picks the current directory, then
// two paths separated by the first line feed. Every operation runs into a separate output and
// into one of its own inputs, which must give the same result; Normalize is idempotent, and the
// parts and joins keep the bytes they were made of.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "path/path.h"

namespace {

// The current directory the operations see, per syntax; null makes the query fail.
template <typename Syntax>
struct FakeDirectory {
    static inline const char* directory = nullptr;
    static CurrentDirectoryAnswer Query(char* buffer, std::size_t size) {
        if (directory == nullptr) return CurrentDirectoryAnswer::failed;
        if (std::strlen(directory) + 1 > size) return CurrentDirectoryAnswer::too_small;
        std::strcpy(buffer, directory);
        return CurrentDirectoryAnswer::done;
    }
};

// The long ones make the query grow its buffer.
const char* const kWindowsDirectories[] = {"C:\\work", "\\\\server\\share\\folder",
                                           "D:\\a\\very\\long\\folder\\name\\for\\it", nullptr};
const char* const kPosixDirectories[] = {"/work", "/", "/a/very/long/folder/name/for/growing",
                                         nullptr};

bool Ends_With(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

template <typename Syntax>
void Check_All(const std::string& first, const std::string& second, unsigned choice,
               const char* current) {
    using Path = CBasicPath<Syntax>;
    for (const std::string& path : {first, second}) {
        // Normalizing again changes nothing, except that one normalization takes one layer off
        // nested Windows device prefixes ("\\?\UNC\\?\UNC\C:\x" gives "\\?\UNC\C:\x").
        std::string normal = path, again;
        FUZZ_CHECK(Path::Normalize(normal));
        FUZZ_CHECK(normal.find(Syntax::kSeparator == '/' ? '\\' : '/') == std::string::npos);
        again = normal;
        FUZZ_CHECK(Path::Normalize(again));
        const bool device = normal.rfind("\\\\?\\", 0) == 0 || normal.rfind("\\\\.\\", 0) == 0;
        FUZZ_CHECK(again == normal || (Syntax::kDrives && device));
        FUZZ_CHECK(Syntax::kDrives || Path::Is_Absolute(normal) == Path::Is_Absolute(path));

        FakeDirectory<Syntax>::directory = current;
        std::string absolute = "stale", in_place = path;
        const bool made = Path::To_Absolute(absolute, path);
        FUZZ_CHECK(Path::To_Absolute(in_place) == made);
        FUZZ_CHECK(made == (current != nullptr || Path::Is_Absolute(path)));
        FUZZ_CHECK(in_place == (made ? absolute : path));
        FUZZ_CHECK(!made || (Path::Is_Absolute(absolute) && Ends_With(absolute, path)));
        FUZZ_CHECK(!Path::Is_Absolute(path) || absolute == path);
    }

    std::string directory = "stale", name = "stale", same = first;
    FUZZ_CHECK(Path::Get_Path(directory, first) && Path::Get_Filename(name, first));
    FUZZ_CHECK(first.compare(0, directory.size(), directory) == 0 && Ends_With(first, name));
    FUZZ_CHECK(Path::Get_Path(same, same) && same == directory);
    same = first;
    FUZZ_CHECK(Path::Get_Filename(same, same) && same == name);

    std::string joined = "stale";
    FUZZ_CHECK(Path::Join(joined, first, second));
    FUZZ_CHECK(Path::Is_Absolute(second) ? joined == second
                                         : joined.compare(0, first.size(), first) == 0 &&
                                               Ends_With(joined, second));
    same = first;
    FUZZ_CHECK(Path::Join(same, same, second) && same == joined);
    same = second;
    FUZZ_CHECK(Path::Join(same, first, same) && same == joined);
    // The array form reads up to a NUL, from anywhere, also from inside the output itself; null
    // reads as empty.
    const std::string arrays = first + '\0' + second;
    const std::size_t first_at = (choice & 7) % (arrays.size() + 1);
    const std::size_t second_at = ((choice >> 3) & 7) % (arrays.size() + 1);
    std::string expected, inside = arrays, null_part;
    FUZZ_CHECK(Path::Join(expected, std::string(arrays.c_str() + first_at),
                          std::string(arrays.c_str() + second_at)));
    FUZZ_CHECK(Path::Join(inside, inside.c_str() + first_at, inside.c_str() + second_at));
    FUZZ_CHECK(inside == expected);
    FUZZ_CHECK(Path::Join(null_part, nullptr, arrays.c_str() + second_at));
    FUZZ_CHECK(Path::Join(expected, std::string(), std::string(arrays.c_str() + second_at)));
    FUZZ_CHECK(null_part == expected);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    WindowsPathSyntax::query_current_directory = &FakeDirectory<WindowsPathSyntax>::Query;
    PosixPathSyntax::query_current_directory = &FakeDirectory<PosixPathSyntax>::Query;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t cut = text.find('\n');
    const std::string first(text.substr(0, cut));
    const std::string second(cut == std::string_view::npos ? "" : text.substr(cut + 1));
    const std::size_t which = data[1] % (sizeof kPosixDirectories / sizeof kPosixDirectories[0]);
    static_assert(sizeof kPosixDirectories == sizeof kWindowsDirectories);
    Check_All<WindowsPathSyntax>(first, second, data[0], kWindowsDirectories[which]);
    Check_All<PosixPathSyntax>(first, second, data[0], kPosixDirectories[which]);
    return 0;
}
