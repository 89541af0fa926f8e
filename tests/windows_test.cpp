// What only the Windows build does: drive roots and patterns in file information, paths in
// drive-letter form, the runtime's text mode, include-once keys that ignore case, and the exit
// status as the process's exit code. Built only for Windows (see CMakeLists.txt).

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <direct.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "digest/sha1.h"
#include "path/file_info.h"
#include "test_tree.h"

namespace {

class WindowsTest : public TreeTest {};

// A drive root exists as a directory of size 0 whose times are all 1601-01-01 00:00:00.
void Expect_Drive_Root(const std::string& path) {
    SCOPED_TRACE("path '" + path + "'");
    const CFileInfo info(path.c_str());
    EXPECT_TRUE(info.valid && info.exists && info.is_directory);
    EXPECT_EQ(info.size, 0u);
    for (const CFileTime& t : {info.creation_time, info.last_access_time, info.last_write_time}) {
        EXPECT_TRUE(t.year == 1601 && t.month == 1 && t.day == 1 && t.hour == 0 && t.minute == 0 &&
                    t.second == 0)
            << t.year << '-' << t.month << '-' << t.day << ' ' << t.hour << ':' << t.minute;
    }
}

TEST_F(WindowsTest, DriveRootsExistWithZeroSizeAndTimes) {
    ASSERT_EQ(root_[1], ':') << root_;
    const std::string drive = root_.substr(0, 2);
    Expect_Drive_Root(drive + "\\");
    Expect_Drive_Root(std::string(1, static_cast<char>(std::tolower(drive[0]))) + ":/");
    // "C:" and "\" stand for the root once it is the current directory.
    ASSERT_EQ(_chdir((drive + "\\").c_str()), 0);
    Expect_Drive_Root(drive);
    Expect_Drive_Root("\\");
    // The attribute query fails for a drive that is not there; its failure value has the
    // directory bit set. Only the root counts as there.
    const DWORD drives = GetLogicalDrives();
    char letter = 'Q';
    while (letter > 'D' && (drives & (1u << (letter - 'A'))) != 0) --letter;
    ASSERT_EQ(drives & (1u << (letter - 'A')), 0u) << "no unmapped drive letter from D to Q";
    Expect_Drive_Root(std::string(1, letter) + ":\\");
    EXPECT_FALSE(CFileInfo((std::string(1, letter) + ":\\a.h").c_str()).exists);
}

TEST_F(WindowsTest, PatternsDescribeTheFirstMatch) {
    Write("one.txt", "hello\n");
    Write("sub/x.h", "");
    const struct {
        const char* path;
        bool exists, is_directory;
        std::uint64_t size;
    } cases[] = {{"o?e.txt", true, false, 6}, {"*.txt", true, false, 6}, {"s*", true, true, 0},
                 {"*.none", false, false, 0}, {"one.tx?x", false, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const CFileInfo info(c.path);
        EXPECT_TRUE(info.valid);
        EXPECT_EQ(info.exists, c.exists);
        EXPECT_EQ(info.is_directory, c.is_directory);
        EXPECT_TRUE(c.is_directory || info.size == c.size) << info.size;
        EXPECT_TRUE(!c.exists || info.creation_time.year > 1601) << "the entry's own times";
    }
    Write("a.h", "a");
    Write("b.h", "bb");
    const CFileInfo info("?.h");  // two matches: whichever the search finds first
    EXPECT_TRUE(info.exists && (info.size == 1 || info.size == 2)) << info.size;
}

TEST_F(WindowsTest, DriveLetterPaths) {
    const std::vector<TreeFile> files = {{"sub/a.cl", "#include \"b.h\"\nend\n"},
                                         {"sub/b.h", "b\n"},
                                         {"b.h", "not beside the includer\n"}};
    const std::string output = "// #include {root}\\sub\\b.h\n#line 1 \"b.h\"\nb\n"
                               "#line 2 \"{slashed root}/sub/a.cl\"\nend\n";
    const TreeCase cases[] = {
        {"include beside an input named by its drive-letter path", files,
         {"-lnff", "-i", "{root}\\sub\\a.cl", "-o", "out.txt"}, output},
        {"the same, named with slashes", files,
         {"-lnff", "-i", "{slashed root}/sub/a.cl", "-o", "out.txt"}, output},
        {"a missing include names the includer by its drive-letter path",
         {{"sub/a.cl", "x\n#include \"none.h\"\n"}},
         {"-i", "{root}\\sub\\a.cl", "-o", "out.txt"}, "x\n",
         "error: '{root}\\sub\\a.cl' line 2: failed to resolve include of 'none.h': file not "
         "found\n",
         -1},
    };
    for (const TreeCase& c : cases) Check(c);
}

TEST_F(WindowsTest, IncluderInADriveRootFindsTheFileBesideIt) {
    // The includer's directory is then just "C:", which must not be made absolute against the
    // current directory, where a file of the same name waits.
    const std::string drive = root_.substr(0, 3);
    const std::string stem = "quillfold-root-test-" + std::to_string(std::random_device()());
    const std::string includer = drive + stem + ".cl", header = drive + stem + ".h";
    const auto write = [](const std::string& path, const std::string& text) {
        FILE* file = std::fopen(path.c_str(), "wb");
        return file != nullptr && std::fputs(text.c_str(), file) >= 0 && std::fclose(file) == 0;
    };
    if (!write(includer, "#include \"" + stem + ".h\"\n")) GTEST_SKIP() << "cannot write " << drive;
    EXPECT_TRUE(write(header, "beside\n"));
    Write(stem + ".h", "current directory\n");
    const RunResult r = Run_Tool({"-lnff", "-i", includer, "-o", "out.txt"});
    std::remove(includer.c_str());
    std::remove(header.c_str());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read("out.txt"), "// #include " + header + "\r\n#line 1 \"" + stem +
                                   ".h\"\r\nbeside\r\n#line 2 \"" + drive[0] + ":/" + stem +
                                   ".cl\"\r\n");
}

TEST_F(WindowsTest, OutputLinesEndInCarriageReturnAndLineFeed) {
    // Spelled out byte by byte rather than through As_Written, which every other test uses.
    Write("a.cl", "a\nb\r\nx\ry\n#include \"b.h\"\nc");
    Write("b.h", "b\n");
    const RunResult r = Run_Tool({"-lnff", "-i", "a.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read("out.txt"), "a\r\nb\r\nx\ry\r\n// #include " + root_ +
                                   "\\b.h\r\n#line 1 \"b.h\"\r\nb\r\n#line 5 \"a.cl\"\r\nc\r\n");
}

TEST_F(WindowsTest, CtrlZEndsAnInputFile) {
    const std::string z = "\x1A";
    const TreeCase cases[] = {
        {"the rest of the file is not read", {{"a.cl", "a\nb" + z + "c\nd\n"}},
         {"-i", "a.cl", "-o", "out.txt"}, "a\nb\n"},
        {"an included file ends there and its includer resumes",
         {{"a.cl", "#include \"z.h\"\nend\n"}, {"z.h", "z\n" + z + "#include \"missing.h\"\n"}},
         {"-i", "a.cl", "-o", "out.txt"},
         "// #include {root}\\z.h\n#line 1 // \"z.h\"\nz\n#line 2 // \"a.cl\"\nend\n"},
    };
    for (const TreeCase& c : cases) Check(c);
}

TEST_F(WindowsTest, NamesDifferingInCaseAreOneFileWithOneGuard) {
    Write("main.cl", "#include \"a.h\"\n#include \"A.H\"\n");
    Write("a.h", "a\n");
    const RunResult r = Run_Tool({"-io", "-nfln", "-i", "main.cl", "-i", "A.h", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    Sha1Digest digest;
    digest.Init();
    const std::string key = Guard_Key(root_ + "\\a.h");  // lowercased
    digest.Update(key.data(), key.size());
    digest.Final();
    char hex[41];
    const std::uint32_t* h = digest.Words();
    std::snprintf(hex, sizeof hex, "%08X%08X%08X%08X%08X", static_cast<unsigned>(h[0]),
                  static_cast<unsigned>(h[1]), static_cast<unsigned>(h[2]),
                  static_cast<unsigned>(h[3]), static_cast<unsigned>(h[4]));
    const std::string g = std::string("__A_H_") + hex;
    const std::string check = "#ifndef " + g + "\r\n#error \"include once error: file '";
    const std::string checked = "' is not included\"\r\n#endif // !" + g + "\r\n";
    EXPECT_EQ(Read("out.txt"),
              "// #include " + root_ + "\\a.h\r\n#ifndef " + g + "\r\n#define " + g +
                  "\r\n#else // !" + g +
                  "\r\n#error \"include once error: file 'a.h' is already included\"\r\n"
                  "#endif // !" + g + "\r\na\r\n// #include " + root_ + "\\A.H\r\n" + check +
                  "A.H" + checked + check + "A.h" + checked);
}

TEST_F(WindowsTest, ExitCodeOfTheProgramIsMinusOneOnFailure) {
    Write("a.cl", "a\n");
    const struct {
        std::string args;
        DWORD exit_code;
    } cases[] = {{"-i missing.cl -o out.txt", 0xFFFFFFFFu},
                 {"-i a.cl -o out.txt -zzz", 0xFFFFFFFFu},
                 {"-i a.cl -o out.txt", 0u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        std::string command_line = "\"" QUILLFOLD_PROGRAM "\" " + c.args;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessA(QUILLFOLD_PROGRAM, &command_line[0], nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &startup, &process))
            << "error " << GetLastError();
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD exit_code = 1;
        GetExitCodeProcess(process.hProcess, &exit_code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        EXPECT_EQ(exit_code, c.exit_code);
    }
    EXPECT_EQ(Read("out.txt"), "a\r\n");
}

}  // namespace
