// The path operations under both syntaxes, whatever the platform.

#include "path/path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "test_tree.h"

namespace fs = std::filesystem;
using WindowsPath = CBasicPath<WindowsPathSyntax>;
using PosixPath = CBasicPath<PosixPathSyntax>;

namespace {

using Case = std::pair<const char*, const char*>;  // input, expected

void Check_Cases(const std::vector<Case>& cases,
                 bool (*operation)(std::string&, const std::string&)) {
    for (const auto& [input, expected] : cases) {
        SCOPED_TRACE("'" + std::string(input) + "'");
        std::string out = "stale";
        ASSERT_TRUE(operation(out, input));
        EXPECT_EQ(out, expected);
    }
}

template <typename Path>
bool Normalized(std::string& out, const std::string& path) {
    out = path;
    return Path::Normalize(out);
}

template <typename Path>
bool Absolute(std::string& out, const std::string& path) {
    return Path::To_Absolute(out, path);
}

template <typename Path>
void Check_Joins(const std::vector<std::tuple<const char*, const char*, const char*>>& cases) {
    for (const auto& [directory, relative, expected] : cases) {
        std::string out = "stale";
        ASSERT_TRUE(Path::Join(out, std::string(directory), std::string(relative)));
        EXPECT_EQ(out, expected) << "'" << directory << "' + '" << relative << "'";
    }
}

// A current directory of the test's choosing; null makes the query fail.
template <typename Syntax>
struct FakeDirectory {
    static inline const char* directory = nullptr;
    static CurrentDirectoryAnswer Query(char* buffer, std::size_t size) {
        if (directory == nullptr) return CurrentDirectoryAnswer::failed;
        if (std::strlen(directory) >= size) return CurrentDirectoryAnswer::too_small;
        std::strcpy(buffer, directory);
        return CurrentDirectoryAnswer::done;
    }
    explicit FakeDirectory(const char* current) {
        directory = current;
        Syntax::query_current_directory = &Query;
    }
    ~FakeDirectory() { Syntax::query_current_directory = saved; }
    const CurrentDirectoryQuery saved = Syntax::query_current_directory;
};

// clang-format off
TEST(Path, IsAbsoluteFollowsEachSyntax) {
    const std::vector<std::tuple<const char*, bool, bool>> cases = {  // path, windows, posix
        {"\\\\server\\share", true, false}, {"//x", true, true}, {"/\\", true, true},
        {"C:\\", true, false}, {"c:/x", true, false}, {"/x", false, true}, {"/", false, true},
        {"", false, false}, {"a", false, false}, {"\\x", false, false}, {"C:", false, false},
        {"C:x", false, false}, {"1:\\", false, false}};
    for (const auto& [path, windows, posix] : cases) {
        EXPECT_EQ(WindowsPath::Is_Absolute(path), windows) << "windows '" << path << "'";
        EXPECT_EQ(PosixPath::Is_Absolute(path), posix) << "posix '" << path << "'";
    }
}

TEST(Path, Join) {
    Check_Joins<WindowsPath>({
        {"C:\\x", "a", "C:\\x\\a"}, {"C:\\x\\", "a", "C:\\x\\a"}, {"C:", "a", "C:\\a"},
        {"", "a", "\\a"}, {"C:\\x", "", "C:\\x\\"}, {"C:\\x/", "a", "C:\\x/a"},
        // an absolute relative part wins; nothing is normalized
        {"C:\\x", "D:/a", "D:/a"}, {"C:\\x", "\\\\s\\a", "\\\\s\\a"},
        {"C:\\x", "\\a", "C:\\x\\\\a"}, {"C:\\x", "C:a", "C:\\x\\C:a"}});
    Check_Joins<PosixPath>({
        {"/x", "a", "/x/a"}, {"/x/", "a", "/x/a"}, {"", "a.h", "/a.h"}, {"/x", "/a", "/a"},
        // '\' is read as a separator but never makes a path absolute
        {"/x\\", "a", "/x\\a"}, {"/x", "\\a", "/x/\\a"}, {"/x", "C:\\a", "/x/C:\\a"}});
}

TEST(Path, Normalize) {
    Check_Cases({
        {"", ""}, {".", ""}, {"a\\..", ""}, {"x\\.\\.\\y", "x\\y"}, {"a/b/../c", "a\\c"},
        {"a\\\\b\\\\\\c\\", "a\\b\\c"}, {"..\\..\\a", "..\\..\\a"}, {"a\\..\\..\\b", "..\\b"},
        {"C:\\", "C:"}, {"C:", "C:"}, {"C:foo", "C:foo"}, {"C:\\..\\a", "C:\\..\\a"},  // drives
        {"C:/a/./b/../../..", "C:\\.."}, {"\\foo\\bar", "foo\\bar"}, {"\\\\", ""},
        {"\\\\\\\\x", "x"}, {"\\\\srv\\share\\", "\\\\srv\\share"}, {"//srv/s/../x", "\\\\srv\\x"},
        {"\\\\srv\\..", "\\\\srv\\.."}, {"\\\\?\\C:\\x\\y", "C:\\x\\y"}, {"//?/c:/x", "c:\\x"},
        {"\\\\.\\C:\\x", "C:\\x"}, {"\\\\.\\COM1", "\\\\.\\COM1"}, {"\\\\?\\", "\\\\?\\"},
        {"\\\\?\\UNC\\C:\\x", "C:\\x"}, {"\\\\?\\UNC\\\\srv\\s", "\\\\srv\\s"},
        {"\\\\?\\UNC\\server\\share\\x", "\\\\?\\UNC\\server\\share\\x"}}, Normalized<WindowsPath>);
    Check_Cases({  // no drives and no prefixes
        {".", ""}, {"x/././y", "x/y"}, {"a\\b\\..\\c", "a/c"}, {"a//b///c/", "a/b/c"},
        {"a/../../b", "../b"}, {"/", "/"}, {"/.", "/"}, {"//x", "/x"}, {"/\\x/", "/x"},
        {"/../a", "/../a"}, {"/a/b/../../..", "/.."}, {"\\x", "x"}, {"C:\\..", ""},
        {"\\\\?\\C:\\x", "?/C:/x"}}, Normalized<PosixPath>);
}

TEST(Path, GetPathAndGetFilename) {
    const std::vector<Case> paths = {
        {"C:\\a\\b.h", "C:\\a"}, {"C:\\b.h", "C:"}, {"b.h", ""}, {"\\b.h", ""}, {"a\\\\\\b", "a"},
        {"a\\b\\", "a\\b"}, {"\\\\server\\share\\f", "\\\\server\\share"}, {"/a/b.h", "/a"}};
    const std::vector<Case> names = {
        {"C:\\a\\b.h", "b.h"}, {"b.h", "b.h"}, {"a\\b\\", "b\\"}, {"C:\\", "C:\\"},
        {"\\\\", "\\\\"}, {"C:b.h", "C:b.h"}, {"", ""}, {"/", "/"}, {"a/b//", "b//"},
        {"a\\b/c", "c"}};
    Check_Cases(paths, WindowsPath::Get_Path);
    Check_Cases(paths, PosixPath::Get_Path);
    Check_Cases(names, WindowsPath::Get_Filename);
    Check_Cases(names, PosixPath::Get_Filename);
}

TEST(Path, ToAbsoluteJoinsRelativePathsOnly) {
    {
        // Longer than the first buffer the query is given.
        FakeDirectory<WindowsPathSyntax> fake("\\\\server\\share\\a long folder\\");
        Check_Cases({{"..\\a.h", "\\\\server\\share\\a long folder\\..\\a.h"},
                     {"C:/x/./y", "C:/x/./y"}, {"//s/./a/", "//s/./a/"}},  // absolute: as it is
                    Absolute<WindowsPath>);
        FakeDirectory<PosixPathSyntax> root("/");
        Check_Cases({{"a.h", "/a.h"}}, Absolute<PosixPath>);
    }
    FakeDirectory<WindowsPathSyntax> failing(nullptr);
    std::string absolute = "C:/x", relative = "a.h";
    EXPECT_TRUE(WindowsPath::To_Absolute(absolute)) << "the current directory is not needed";
    EXPECT_FALSE(WindowsPath::To_Absolute(relative));
}
// clang-format on

class PathOnDiskTest : public TreeTest {};

TEST_F(PathOnDiskTest, CurrentDirectoryOfTheProcess) {
    const fs::path deep = fs::path(root_) / "a directory with a long name" / "and one more";
    fs::create_directories(deep);
    fs::current_path(deep);
    std::string path = "a.h";
    ASSERT_TRUE(CPath::To_Absolute(path));
    EXPECT_EQ(path, (fs::current_path() / "a.h").string());
#if !defined(_WIN32)
    // A removed current directory has no name; the query must end rather than grow forever.
    fs::remove(deep);
    EXPECT_FALSE(CPath::Get_CurrentDirectory(path));
#endif
}

}  // namespace
