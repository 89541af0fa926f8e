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

#include "path/file_info.h"
#include "test_tree.h"

namespace fs = std::filesystem;
using WindowsPath = CBasicPath<WindowsPathSyntax>;
using PosixPath = CBasicPath<PosixPathSyntax>;

// Allocation failure on demand, for the out-of-memory rules. The replacements are weak, so that
// another one elsewhere in the binary wins; the test that needs them then skips.
#if defined(__GNUC__) && !defined(_WIN32)
#define QUILLFOLD_ALLOCATION_FAILURE 1
namespace {
thread_local long t_allocations_left = -1;  // -1: every allocation succeeds
void* Allocate(std::size_t size) noexcept {
    if (t_allocations_left == 0) return nullptr;
    if (t_allocations_left > 0) --t_allocations_left;
    return std::malloc(size == 0 ? 1 : size);
}
void* Allocate_Or_Throw(std::size_t size) {
    if (void* memory = Allocate(size)) return memory;
    throw std::bad_alloc();
}
}  // namespace
#define WEAK __attribute__((weak))
// clang-format off
WEAK void* operator new(std::size_t size) { return Allocate_Or_Throw(size); }
WEAK void* operator new[](std::size_t size) { return Allocate_Or_Throw(size); }
WEAK void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
WEAK void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
WEAK void operator delete(void* memory) noexcept { std::free(memory); }
WEAK void operator delete[](void* memory) noexcept { std::free(memory); }
WEAK void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
WEAK void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
// clang-format on
#undef WEAK
#endif

namespace {

struct Case {
    const char* input;
    const char* expected;
};

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

/// Runs `operation` into a separate output and into the input itself; both must give the
/// expected text.
void Check_Cases(const std::vector<Case>& cases,
                 const std::function<bool(std::string&, const std::string&)>& operation) {
    for (const Case& c : cases) {
        SCOPED_TRACE(Quoted(c.input));
        std::string out = "stale";
        ASSERT_TRUE(operation(out, c.input));
        EXPECT_EQ(out, c.expected);
        std::string same = c.input;
        ASSERT_TRUE(operation(same, same));
        EXPECT_EQ(same, c.expected) << "output is the input";
    }
}

template <typename Path>
bool Normalized(std::string& out, const std::string& path) {
    if (&out != &path) out = path;
    return Path::Normalize(out);
}

struct JoinCase {
    const char* directory;
    const char* relative;
    const char* expected;
};

/// Every form of Join, with outputs that share their storage with the inputs in every way.
template <typename Path>
void Check_Joins(const std::vector<JoinCase>& cases) {
    for (const JoinCase& c : cases) {
        SCOPED_TRACE(Quoted(c.directory) + " + " + Quoted(c.relative));
        const std::string directory = c.directory, relative = c.relative;
        std::string out = "stale";
        ASSERT_TRUE(Path::Join(out, directory, relative));
        EXPECT_EQ(out, c.expected);
        out = relative;
        ASSERT_TRUE(Path::Join(out, directory, out));
        EXPECT_EQ(out, c.expected) << "output is relative";
        out = directory;
        ASSERT_TRUE(Path::Join(out, out, relative));
        EXPECT_EQ(out, c.expected) << "output is directory";
        out = "stale";
        ASSERT_TRUE(Path::Join(out, c.directory, c.relative));
        EXPECT_EQ(out, c.expected) << "character arrays";
        out = directory + '\0' + relative;
        ASSERT_TRUE(Path::Join(out, out.c_str(), out.c_str() + directory.size() + 1));
        EXPECT_EQ(out, c.expected) << "arrays in the output, directory first";
        out = "xy" + relative + '\0' + directory;
        ASSERT_TRUE(Path::Join(out, out.c_str() + 3 + relative.size(), out.c_str() + 2));
        EXPECT_EQ(out, c.expected) << "arrays in the output, relative first";
    }
}

// A current directory of the test's choosing, for either syntax.
const char* g_fake_directory = nullptr;  // nullptr: the query fails
std::vector<std::size_t> g_asked_sizes;

CurrentDirectoryAnswer Fake_Query(char* buffer, std::size_t size) {
    g_asked_sizes.push_back(size);
    if (g_fake_directory == nullptr) return CurrentDirectoryAnswer::failed;
    if (std::strlen(g_fake_directory) >= size) return CurrentDirectoryAnswer::too_small;
    std::strcpy(buffer, g_fake_directory);
    return CurrentDirectoryAnswer::done;
}

template <typename Syntax>
class FakeDirectory {
  public:
    explicit FakeDirectory(const char* directory) : saved_(Syntax::query_current_directory) {
        g_fake_directory = directory;
        g_asked_sizes.clear();
        g_asked_sizes.reserve(16);  // the query itself must not allocate
        Syntax::query_current_directory = &Fake_Query;
    }
    ~FakeDirectory() { Syntax::query_current_directory = saved_; }

  private:
    CurrentDirectoryQuery saved_;
};

// The tables are laid out by hand, grouped by the rule each group tests.
// clang-format off
TEST(PathIsAbsolute, FollowsEachSyntax) {
    const std::vector<std::pair<const char*, bool>> windows = {
        {"\\\\server\\share", true}, {"//x", true}, {"\\\\", true}, {"/\\", true},
        {"C:\\", true}, {"c:/x", true},
        {"", false}, {"a", false}, {"\\", false}, {"/x", false}, {"\\x", false}, {"C:", false},
        {"C:x", false}, {"1:\\", false}};
    const std::vector<std::pair<const char*, bool>> posix = {
        {"/", true}, {"/x", true}, {"//x", true},
        {"", false}, {"a", false}, {"\\x", false}, {"C:\\x", false}, {"\\\\s\\x", false}};
    for (const auto& [path, absolute] : windows) {
        EXPECT_EQ(WindowsPath::Is_Absolute(path), absolute) << "windows " << Quoted(path);
    }
    for (const auto& [path, absolute] : posix) {
        EXPECT_EQ(PosixPath::Is_Absolute(path), absolute) << "posix " << Quoted(path);
    }
}

TEST(PathJoin, Windows) {
    Check_Joins<WindowsPath>({
        {"C:\\x", "a", "C:\\x\\a"}, {"C:\\x\\", "a", "C:\\x\\a"}, {"C:", "a", "C:\\a"},
        {"", "a", "\\a"}, {"C:\\x", "", "C:\\x\\"},
        // an absolute relative part wins
        {"C:\\x", "D:/a", "D:/a"}, {"C:\\x", "\\\\s\\a", "\\\\s\\a"},
        // no normalization
        {"C:\\x/", "a", "C:\\x/a"}, {"C:\\x", "\\a", "C:\\x\\\\a"}, {"C:\\x", "/a", "C:\\x\\/a"},
        {"C:\\x", "C:a", "C:\\x\\C:a"}});
}

TEST(PathJoin, Posix) {
    Check_Joins<PosixPath>({
        {"/x", "a", "/x/a"}, {"/x/", "a", "/x/a"}, {"", "a.h", "/a.h"}, {"/x", "", "/x/"},
        {"/x", "/a", "/a"}, {"/x", "//s/a", "//s/a"},
        // '\' is read as a separator but never makes a path absolute
        {"/x\\", "a", "/x\\a"}, {"/x", "\\a", "/x/\\a"}, {"/x", "C:\\a", "/x/C:\\a"}});
    std::string path = "a";
    ASSERT_TRUE(PosixPath::Join(path, path, path));
    EXPECT_EQ(path, "a/a");
}

TEST(PathNormalize, Windows) {
    Check_Cases({
        {"", ""}, {".", ""}, {"a\\..", ""}, {".\\a", "a"}, {"x\\.\\.\\y", "x\\y"},
        {"a/b/../c", "a\\c"}, {"a\\\\b\\\\\\c\\", "a\\b\\c"},
        // ".." that nothing before it can take
        {"..", ".."}, {"..\\..\\a", "..\\..\\a"}, {"a\\..\\..\\b", "..\\b"},
        // drive roots
        {"C:\\", "C:"}, {"C:\\.", "C:"}, {"C:", "C:"}, {"C:foo", "C:foo"},
        {"C:\\..\\a", "C:\\..\\a"}, {"C:/a/./b/../../..", "C:\\.."},
        {"C:\\a\\b\\..\\..\\..\\c", "C:\\..\\c"},
        // one or four leading separators are no root
        {"\\foo\\bar", "foo\\bar"}, {"\\\\", ""}, {"\\", ""}, {"\\\\\\\\x", "x"},
        // server roots
        {"\\\\server\\share\\", "\\\\server\\share"}, {"\\\\server", "\\\\server"},
        {"//server/share/../x", "\\\\server\\x"}, {"\\\\server\\..", "\\\\server\\.."},
        // prefixes
        {"\\\\?\\C:\\x\\y", "C:\\x\\y"}, {"//?/c:/x", "c:\\x"}, {"\\\\.\\C:\\x", "C:\\x"},
        {"\\\\.\\COM1", "\\\\.\\COM1"}, {"\\\\?\\", "\\\\?\\"}, {"\\\\.\\", "\\\\.\\"},
        {"\\\\?\\UNC\\server\\share\\x", "\\\\?\\UNC\\server\\share\\x"},
        {"\\\\?\\UNC\\C:\\x", "C:\\x"}, {"\\\\?\\UNC\\\\srv\\s", "\\\\srv\\s"}},
        Normalized<WindowsPath>);
}

TEST(PathNormalize, Posix) {
    Check_Cases({
        {"", ""}, {".", ""}, {"a/..", ""}, {"./a", "a"}, {"x/././y", "x/y"},
        {"a\\b\\..\\c", "a/c"}, {"a//b///c/", "a/b/c"},
        {"..", ".."}, {"../../a", "../../a"}, {"a/../../b", "../b"},
        // the root is a leading '/' and nothing else
        {"/", "/"}, {"/.", "/"}, {"//x", "/x"}, {"/\\x/", "/x"}, {"/../a", "/../a"},
        {"/a/b/../../..", "/.."}, {"\\x", "x"}, {"//server/share/..", "/server"},
        // no drives and no prefixes
        {"C:\\x", "C:/x"}, {"C:\\..", ""}, {"\\\\?\\C:\\x", "?/C:/x"}},
        Normalized<PosixPath>);
}

TEST(PathGetPath, CutsAtTheLastSeparator) {
    const std::vector<Case> cases = {
        {"C:\\a\\b.h", "C:\\a"}, {"C:\\b.h", "C:"}, {"b.h", ""}, {"\\b.h", ""}, {"a\\\\\\b", "a"},
        {"a\\b\\", "a\\b"}, {"\\\\server\\share\\f", "\\\\server\\share"}, {"", ""},
        {"/a/b.h", "/a"}, {"/b.h", ""}, {"a/\\b", "a"}};
    Check_Cases(cases, WindowsPath::Get_Path);
    Check_Cases(cases, PosixPath::Get_Path);
}

TEST(PathGetFilename, KeepsTrailingSeparators) {
    const std::vector<Case> cases = {
        {"C:\\a\\b.h", "b.h"}, {"b.h", "b.h"}, {"a\\b\\", "b\\"}, {"C:\\", "C:\\"},
        {"\\\\", "\\\\"}, {"C:b.h", "C:b.h"}, {"", ""}, {"/a/b.h", "b.h"}, {"/", "/"},
        {"a/b//", "b//"}, {"a\\b/c", "c"}};
    Check_Cases(cases, WindowsPath::Get_Filename);
    Check_Cases(cases, PosixPath::Get_Filename);
}

TEST(PathCurrentDirectory, GrowsTheBufferAndDropsTrailingSeparators) {
    struct DirectoryCase {
        const char* directory;
        const char* expected;
        std::vector<std::size_t> asked;
    };
    const std::vector<DirectoryCase> cases = {
        {"C:\\", "C:", {8}}, {"C:\\work", "C:\\work", {8}}, {"C:\\work1", "C:\\work1", {8, 16}},
        {"C:\\a\\longer\\directory\\", "C:\\a\\longer\\directory", {8, 16, 32}},
        {"\\\\server\\share\\", "\\\\server\\share", {8, 16}}};
    for (const DirectoryCase& c : cases) {
        SCOPED_TRACE(Quoted(c.directory));
        FakeDirectory<WindowsPathSyntax> fake(c.directory);
        std::string out = "stale";
        ASSERT_TRUE(WindowsPath::Get_CurrentDirectory(out));
        EXPECT_EQ(out, c.expected);
        EXPECT_EQ(g_asked_sizes, c.asked);
    }
    FakeDirectory<PosixPathSyntax> root("/");
    std::string out = "stale";
    ASSERT_TRUE(PosixPath::Get_CurrentDirectory(out));
    EXPECT_EQ(out, "");
}

TEST(PathToAbsolute, JoinsRelativePathsOnly) {
    const std::vector<JoinCase> cases = {  // current directory, path, result
        {"C:\\work", "..\\inc\\a.h", "C:\\work\\..\\inc\\a.h"}, {"C:\\", "a.h", "C:\\a.h"},
        {"C:\\work", "", "C:\\work\\"}, {"C:\\work", "C:a", "C:\\work\\C:a"},
        // absolute paths are left as they are, without asking for the current directory
        {nullptr, "C:/x/./y", "C:/x/./y"}, {nullptr, "//s/./a/", "//s/./a/"}};
    for (const JoinCase& c : cases) {
        SCOPED_TRACE(Quoted(c.relative));
        FakeDirectory<WindowsPathSyntax> fake(c.directory);
        std::string path = c.relative, out = "stale";
        ASSERT_TRUE(WindowsPath::To_Absolute(out, path));
        EXPECT_EQ(out, c.expected);
        ASSERT_TRUE(WindowsPath::To_Absolute(path, path));
        EXPECT_EQ(path, c.expected);
    }
    FakeDirectory<WindowsPathSyntax> failing(nullptr);
    std::string path = "a.h";
    EXPECT_FALSE(WindowsPath::To_Absolute(path));
    EXPECT_EQ(path, "a.h");
    EXPECT_EQ(g_asked_sizes.size(), 1u) << "a failed query is not asked again";
}
// clang-format on

class PathOnDiskTest : public TreeTest {};

TEST_F(PathOnDiskTest, CurrentDirectoryOfTheProcess) {
    const fs::path deep = fs::path(root_) / "a directory with a long name" / "and one more";
    fs::create_directories(deep);
    fs::current_path(deep);
    std::string out;
    ASSERT_TRUE(CPath::Get_CurrentDirectory(out));
    EXPECT_EQ(out, fs::current_path().string());
    std::string path = "a.h";
    ASSERT_TRUE(CPath::To_Absolute(path));
    EXPECT_EQ(path, (fs::current_path() / "a.h").string());
#if !defined(_WIN32)
    fs::current_path("/");
    ASSERT_TRUE(CPath::Get_CurrentDirectory(out));
    EXPECT_EQ(out, "");
    // A removed current directory has no name; the query must end rather than grow forever.
    fs::current_path(deep);
    fs::remove(deep);
    EXPECT_FALSE(CPath::Get_CurrentDirectory(out));
#endif
}

TEST_F(PathOnDiskTest, ExistsAsTheFileSystemSays) {
    Write("sub/b.h", "x\n");
    for (const auto& [path, exists] :
         std::vector<std::pair<std::string, bool>>{{"sub/b.h", true},
                                                   {"sub", true},
                                                   {"", true},
                                                   {root_, true},
                                                   {"sub/missing.h", false},
                                                   {"sub/b.h/x", false}}) {
        EXPECT_EQ(CPath::Exists(path), exists) << Quoted(path);
    }
}

#if defined(QUILLFOLD_ALLOCATION_FAILURE)
TEST(PathOutOfMemory, GivesFalseAndNeverThrows) {
    t_allocations_left = 0;
    bool failing = false;
    try {
        ::operator delete(::operator new(1));  // a call, which unlike new may not be left out
    } catch (const std::bad_alloc&) {
        failing = true;
    }
    t_allocations_left = -1;
    if (!failing) GTEST_SKIP() << "another operator new replaces the failing one";

    // Inputs are made before allocations fail, so that only the operation runs out of memory.
    const std::string directory = "C:\\a current directory of some length";
    FakeDirectory<WindowsPathSyntax> fake(directory.c_str());
    const std::string name = "a file name long enough to need the heap.h", drive = "C:";
    const std::string nested = name + "\\x", under_a = "a\\" + name;
    using WP = WindowsPath;
    const std::vector<
        std::tuple<const char*, std::string, std::function<bool(std::string&)>, std::string>>
        operations = {
            {"Join", "", [&](std::string& o) { return WP::Join(o, drive, name); }, "C:\\" + name},
            {"Join into relative", name, [&](std::string& o) { return WP::Join(o, drive, o); },
             "C:\\" + name},
            {"Join of arrays in the output", name,
             [&](std::string& o) { return WP::Join(o, "C:", o.c_str()); }, "C:\\" + name},
            {"Get_CurrentDirectory", "", WP::Get_CurrentDirectory, directory},
            {"To_Absolute", "", [&](std::string& o) { return WP::To_Absolute(o, drive); },
             directory + "\\C:"},
            {"Normalize", nested, WP::Normalize, nested},
            {"Get_Path", "", [&](std::string& o) { return WP::Get_Path(o, nested); }, name},
            {"Get_Filename", "", [&](std::string& o) { return WP::Get_Filename(o, under_a); },
             name}};
    for (const auto& [what, initial, run, expected] : operations) {
        SCOPED_TRACE(what);
        // Fail the first allocation, then the second, ... until the operation gets through.
        for (long budget = 0; budget < 20; ++budget) {
            std::string out = initial;
            bool done = false;
            t_allocations_left = budget;
            try {
                done = run(out);
            } catch (...) {
                t_allocations_left = -1;
                FAIL() << "an exception left the operation after " << budget << " allocations";
            }
            t_allocations_left = -1;
            EXPECT_TRUE(budget > 0 || !done) << "succeeded without the memory it needs";
            if (done) {
                EXPECT_EQ(out, expected);
                break;
            }
            EXPECT_LT(budget, 19) << "never succeeded";
        }
    }
    t_allocations_left = 0;
    const CFileInfo info(name.c_str());
    t_allocations_left = -1;
    EXPECT_FALSE(info.valid || info.exists);
}
#endif

}  // namespace
