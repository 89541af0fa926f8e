// What only the Windows build does and a case file cannot show: drive roots, and an includer
// in a drive's root.
// Built only for Windows (see CMakeLists.txt).

#include <direct.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>

#include "path/entry_kind.h"
#include "test_tree.h"

namespace {

class WindowsTest : public TreeTest {};

TEST_F(WindowsTest, DriveRoots) {
    const std::string drive = root_.substr(0, 2);
    // "C:" and "\" stand for the root once it is the current directory.
    ASSERT_EQ(_chdir((drive + "\\").c_str()), 0);
    for (const std::string& path : {drive + "\\", drive + "/", drive, std::string("\\")}) {
        EXPECT_EQ(Entry_Kind(path.c_str()), EntryKind::folder) << path;
    }
    // The attribute query of a drive that is not there fails with the directory bit set.
    const DWORD drives = GetLogicalDrives();
    char letter = 'Q';
    while (letter > 'D' && (drives & (1u << (letter - 'A'))) != 0) --letter;
    EXPECT_EQ(Entry_Kind((std::string(1, letter) + ":\\a.h").c_str()), EntryKind::none);

    // An includer in a drive's root: its folder "C:" is not made absolute against the current
    // directory, where a file of the same name waits.
    ASSERT_EQ(_chdir(root_.c_str()), 0);
    const std::string stem = drive + "\\quillfold-root-" + std::to_string(std::random_device()());
    const auto write = [](const std::string& path, const std::string& text) {
        FILE* file = std::fopen(path.c_str(), "wb");
        return file != nullptr && std::fputs(text.c_str(), file) >= 0 && std::fclose(file) == 0;
    };
    if (!write(stem + ".cl", "#include \"" + stem.substr(3) + ".h\"\n")) GTEST_SKIP();
    EXPECT_TRUE(write(stem + ".h", "beside\n"));
    Write(stem.substr(3) + ".h", "current directory\n");
    const RunResult r = Run_Tool({"-nfln", "-i", stem + ".cl", "-o", "out.txt"});
    std::remove((stem + ".cl").c_str());
    std::remove((stem + ".h").c_str());
    EXPECT_EQ(Read("out.txt"), "// #include " + stem + ".h\r\nbeside\r\n") << r.err;
}

}  // namespace
