// The path operations under both syntaxes, whatever the platform: one table each.

#include "path/path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Win = CBasicPath<WindowsPathSyntax>;
using Posix = CBasicPath<PosixPathSyntax>;
using Rows = std::vector<std::vector<std::string>>;  // arguments, then the result

template <typename Operation>
void Check(const Rows& rows, Operation operation) {
    for (const auto& row : rows) {
        std::string out = "stale";
        ASSERT_TRUE(operation(out, row)) << row[0];
        EXPECT_EQ(out, row.back()) << row[0] << " " << row[1];
    }
}

const char* g_directory = nullptr;  // the current directory the tests choose; null fails
CurrentDirectoryAnswer Query(char* buffer, std::size_t size) {
    if (g_directory == nullptr) return CurrentDirectoryAnswer::failed;
    if (std::strlen(g_directory) >= size) return CurrentDirectoryAnswer::too_small;
    std::strcpy(buffer, g_directory);
    return CurrentDirectoryAnswer::done;
}

// clang-format off
TEST(Path, Operations) {
    for (const auto& [path, windows, posix] : std::vector<std::tuple<std::string, bool, bool>>{
             {"\\\\s\\x", true, false}, {"/\\", true, true}, {"c:/x", true, false},
             {"/x", false, true}, {"", false, false}, {"\\x", false, false}, {"C:x", false, false},
             {"1:\\", false, false}}) {
        EXPECT_EQ(Win::Is_Absolute(path), windows) << path;
        EXPECT_EQ(Posix::Is_Absolute(path), posix) << path;
    }
    const auto normalized = [](auto path) {
        return [](std::string& out, const std::vector<std::string>& row) {
            out = row[0];
            return decltype(path)::Normalize(out);
        };
    };
    Check({{"a\\..", ""}, {"x\\.\\.\\y", "x\\y"}, {"a//b/../c\\", "a\\c"},
           {"a\\..\\..\\b", "..\\b"}, {"C:\\", "C:"}, {"C:\\..\\a", "C:\\..\\a"},
           {"C:/a/./b/../../..", "C:\\.."}, {"\\foo", "foo"}, {"\\\\\\\\x", "x"},
           {"//srv/s/../x", "\\\\srv\\x"}, {"\\\\srv\\..", "\\\\srv\\.."}, {"//?/c:", "c:"},
           {"\\\\.\\C:\\x", "C:\\x"}, {"\\\\.\\COM1", "\\\\.\\COM1"}, {"\\\\?\\", "\\\\?\\"},
           {"\\\\?\\UNC\\\\srv\\s", "\\\\srv\\s"}, {"\\\\?\\UNC\\s\\h", "\\\\?\\UNC\\s\\h"}},
          normalized(Win{}));
    Check({{".", ""}, {"a\\b\\..//c/", "a/c"}, {"a/../../b", "../b"}, {"/.", "/"}, {"//x", "/x"},
           {"/a/b/../../..", "/.."}, {"\\x", "x"}, {"C:\\..", ""}, {"\\\\?\\C:\\x", "?/C:/x"}},
          normalized(Posix{}));
    const auto join = [](auto path) {
        return [](std::string& out, const std::vector<std::string>& row) {
            return decltype(path)::Join(out, row[0], row[1]);
        };
    };
    Check({{"C:\\x\\", "a", "C:\\x\\a"}, {"C:", "a", "C:\\a"}, {"", "a", "\\a"},
           {"C:\\x/", "a", "C:\\x/a"}, {"C:\\x", "D:/a", "D:/a"}, {"C:\\x", "\\a", "C:\\x\\\\a"}},
          join(Win{}));
    Check({{"/x", "a", "/x/a"}, {"", "a", "/a"}, {"/x", "/a", "/a"}, {"/x\\", "a", "/x\\a"},
           {"/x", "C:\\a", "/x/C:\\a"}}, join(Posix{}));
    const Rows paths = {{"C:\\a\\b.h", "C:\\a"}, {"C:\\b.h", "C:"}, {"b.h", ""}, {"\\b.h", ""},
                        {"a\\\\\\b", "a"}, {"\\\\server\\share\\f", "\\\\server\\share"}};
    const Rows names = {{"C:\\a\\b.h", "b.h"}, {"a\\b\\", "b\\"}, {"C:\\", "C:\\"}, {"/", "/"},
                        {"a\\b/c", "c"}};
    for (const bool windows : {true, false}) {
        Check(paths, [&](std::string& out, const auto& row) {
            return windows ? Win::Get_Path(out, row[0]) : Posix::Get_Path(out, row[0]);
        });
        Check(names, [&](std::string& out, const auto& row) {
            return windows ? Win::Get_Filename(out, row[0]) : Posix::Get_Filename(out, row[0]);
        });
    }
    // The current directory: longer than the first buffer the query is given.
    g_directory = "\\\\server\\share\\a long folder\\";
    Check({{"..\\a.h", "\\\\server\\share\\a long folder\\..\\a.h"}, {"C:/x/./y", "C:/x/./y"}},
          [](std::string& out, const auto& row) { return Win::To_Absolute(out, row[0], &Query); });
    g_directory = nullptr;
    std::string absolute = "C:/x", relative = "a.h";
    EXPECT_TRUE(Win::To_Absolute(absolute, &Query)) << "the current directory is not needed";
    EXPECT_FALSE(Win::To_Absolute(relative, &Query));
}
// clang-format on

}  // namespace
