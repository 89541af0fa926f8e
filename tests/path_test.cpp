#include "path/path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "test_tree.h"

namespace fs = std::filesystem;
using WindowsPath = CBasicPath<WindowsPathSyntax>;
using PosixPath = CBasicPath<PosixPathSyntax>;

// Allocation failure on demand. The replacements are weak, so that another one in the binary (a
// sanitizer's) wins; the test that needs them then skips.
#if defined(__GNUC__) && !defined(_WIN32)
#define QUILLFOLD_ALLOCATION_FAILURE
namespace {
thread_local long t_allocations_left = -1;  // -1: every allocation succeeds
}  // namespace
// clang-format off
__attribute__((weak)) void* operator new(std::size_t size) {
    if (t_allocations_left == 0) throw std::bad_alloc();
    if (t_allocations_left > 0) --t_allocations_left;
    return std::malloc(size == 0 ? 1 : size);
}
__attribute__((weak)) void operator delete(void* memory) noexcept { std::free(memory); }
__attribute__((weak)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }
// clang-format on
#endif

namespace {

using Case = std::pair<const char*, const char*>;  // input, expected
using JoinCase = std::tuple<const char*, const char*, const char*>;  // directory, relative, result

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

/// Runs `operation` into a separate output and into the input itself; both must give `expected`.
void Check_Cases(const std::vector<Case>& cases,
                 const std::function<bool(std::string&, const std::string&)>& operation) {
    for (const auto& [input, expected] : cases) {
        SCOPED_TRACE(Quoted(input));
        std::string out = "stale", same = input;
        ASSERT_TRUE(operation(out, input) && operation(same, same));
        EXPECT_EQ(out, expected);
        EXPECT_EQ(same, expected) << "output is the input";
    }
}

template <typename Path>
bool Normalized(std::string& out, const std::string& path) {
    out = path;  // harmless when they are the same string
    return Path::Normalize(out);
}

/// Join into a separate output, into the relative, into the directory, and from arrays that
/// point into the output (in this order in the results).
template <typename Path>
void Check_Joins(const std::vector<JoinCase>& cases) {
    for (const auto& [dir, rel, expected] : cases) {
        SCOPED_TRACE(Quoted(dir) + " + " + Quoted(rel));
        const std::string directory = dir, relative = rel;
        std::string a = "stale", b = relative, c = directory;
        std::string d = "xy" + relative + '\0' + directory;
        ASSERT_TRUE(Path::Join(a, directory, relative) && Path::Join(b, directory, b) &&
                    Path::Join(c, c, relative) &&
                    Path::Join(d, d.c_str() + 3 + relative.size(), d.c_str() + 2));
        EXPECT_EQ((std::vector<std::string>{a, b, c, d}), std::vector<std::string>(4, expected));
    }
}

// A current directory of the test's choosing (nullptr: the query fails); asked sizes recorded.
const char* g_fake_directory = nullptr;
std::vector<std::size_t> g_asked_sizes;

template <typename Syntax>
struct FakeDirectory {
    static CurrentDirectoryAnswer Query(char* buffer, std::size_t size) {
        g_asked_sizes.push_back(size);
        if (g_fake_directory == nullptr) return CurrentDirectoryAnswer::failed;
        if (std::strlen(g_fake_directory) >= size) return CurrentDirectoryAnswer::too_small;
        std::strcpy(buffer, g_fake_directory);
        return CurrentDirectoryAnswer::done;
    }
    explicit FakeDirectory(const char* directory) {
        g_fake_directory = directory;
        g_asked_sizes.clear();
        g_asked_sizes.reserve(16);  // the query itself must not allocate
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
        EXPECT_EQ(WindowsPath::Is_Absolute(path), windows) << "windows " << Quoted(path);
        EXPECT_EQ(PosixPath::Is_Absolute(path), posix) << "posix " << Quoted(path);
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

TEST(Path, CurrentDirectoryGrowsTheBufferByDoubling) {
    const std::vector<std::tuple<const char*, const char*, std::vector<std::size_t>>> cases = {
        {"C:\\", "C:", {8}}, {"C:\\work1", "C:\\work1", {8, 16}},
        {"\\\\server\\share\\more\\", "\\\\server\\share\\more", {8, 16, 32}}};
    for (const auto& [directory, expected, asked] : cases) {
        SCOPED_TRACE(Quoted(directory));
        FakeDirectory<WindowsPathSyntax> fake(directory);
        std::string out = "stale";
        ASSERT_TRUE(WindowsPath::Get_CurrentDirectory(out));
        EXPECT_EQ(out, expected);
        EXPECT_EQ(g_asked_sizes, asked);
    }
    FakeDirectory<PosixPathSyntax> root("/");
    std::string out = "stale";
    ASSERT_TRUE(PosixPath::Get_CurrentDirectory(out));
    EXPECT_EQ(out, "");
}

TEST(Path, ToAbsoluteJoinsRelativePathsOnly) {
    FakeDirectory<WindowsPathSyntax> fake("C:\\work\\");
    Check_Cases({{"..\\a.h", "C:\\work\\..\\a.h"}, {"C:a", "C:\\work\\C:a"},
                 {"C:/x/./y", "C:/x/./y"}, {"//s/./a/", "//s/./a/"}},  // absolute: left as it is
                [](std::string& out, const std::string& path) {
                    return WindowsPath::To_Absolute(out, path);
                });
    FakeDirectory<WindowsPathSyntax> failing(nullptr);
    std::string absolute = "C:/x", relative = "a.h";
    EXPECT_TRUE(WindowsPath::To_Absolute(absolute)) << "the current directory is not needed";
    EXPECT_FALSE(WindowsPath::To_Absolute(relative));
    EXPECT_EQ(relative, "a.h");
    EXPECT_EQ(g_asked_sizes.size(), 1u) << "a failed query is not asked again";
}
// clang-format on

class PathOnDiskTest : public TreeTest {};

TEST_F(PathOnDiskTest, CurrentDirectoryOfTheProcess) {
    const fs::path deep = fs::path(root_) / "a directory with a long name" / "and one more";
    fs::create_directories(deep);
    fs::current_path(deep);
    std::string out, path = "a.h";
    ASSERT_TRUE(CPath::Get_CurrentDirectory(out));
    EXPECT_EQ(out, fs::current_path().string());
    ASSERT_TRUE(CPath::To_Absolute(path));
    EXPECT_EQ(path, (fs::current_path() / "a.h").string());
#if !defined(_WIN32)
    // A removed current directory has no name; the query must end rather than grow forever.
    fs::remove(deep);
    EXPECT_FALSE(CPath::Get_CurrentDirectory(out));
#endif
}

#if defined(QUILLFOLD_ALLOCATION_FAILURE)
TEST(Path, OutOfMemoryGivesFalseAndNeverThrows) {
    FakeDirectory<WindowsPathSyntax> fake("C:\\d");
    const std::string path(64, 'a');  // too long for the string's own buffer
    std::string in_place = path, out;
    bool done = true, failing = false;
    [&]() noexcept {  // an exception out of an operation ends the test program
        t_allocations_left = 0;
        done = WindowsPath::Join(out, "C:", path) || WindowsPath::Join(out, "C:", path.c_str()) ||
               WindowsPath::Normalize(in_place) || WindowsPath::To_Absolute(in_place) ||
               WindowsPath::Get_Filename(out, path);
        // clang-format off
        try { ::operator delete(::operator new(1)); }  // a call: unlike new, not left out
        catch (const std::bad_alloc&) { failing = true; }
        // clang-format on
        t_allocations_left = -1;
    }();
    if (!failing) GTEST_SKIP() << "another operator new replaces the failing one";
    EXPECT_FALSE(done) << "an operation succeeded without the memory it needs";
    EXPECT_EQ(in_place, path) << "left as it was";
}
#endif

}  // namespace
