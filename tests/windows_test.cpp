// What only the Windows build does and a case file cannot show: drive roots in file
// information, an includer in a drive's root, and the exit status as the process's exit code.
// Built only for Windows (see CMakeLists.txt).

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <direct.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>

#include "path/file_info.h"
#include "test_tree.h"

namespace {

class WindowsTest : public TreeTest {};

TEST_F(WindowsTest, DriveRootsExist) {
    ASSERT_EQ(root_[1], ':') << root_;
    const std::string drive = root_.substr(0, 2);
    // "C:" and "\" stand for the root once it is the current directory.
    ASSERT_EQ(_chdir((drive + "\\").c_str()), 0);
    for (const std::string& path : {drive + "\\", drive + "/", drive, std::string("\\")}) {
        const CFileInfo info(path.c_str());
        EXPECT_TRUE(info.exists && info.is_directory) << path;
    }
    // The attribute query fails for a drive that is not there; its failure value has the
    // directory bit set. Only the root counts as there.
    const DWORD drives = GetLogicalDrives();
    char letter = 'Q';
    while (letter > 'D' && (drives & (1u << (letter - 'A'))) != 0) --letter;
    ASSERT_EQ(drives & (1u << (letter - 'A')), 0u) << "no unmapped drive letter from D to Q";
    EXPECT_TRUE(CFileInfo((std::string(1, letter) + ":\\").c_str()).exists);
    EXPECT_FALSE(CFileInfo((std::string(1, letter) + ":\\a.h").c_str()).exists);
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
    const RunResult r = Run_Tool({"-nfln", "-i", includer, "-o", "out.txt"});
    std::remove(includer.c_str());
    std::remove(header.c_str());
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Read("out.txt"), "// #include " + header + "\r\nbeside\r\n");
}

TEST_F(WindowsTest, ExitCodeOfTheProgramIsMinusOneOnFailure) {
    Write("a.cl", "a\n");
    const struct {
        std::string args;
        DWORD exit_code;
    } cases[] = {{"-i missing.cl -o out.txt", 0xFFFFFFFFu}, {"-i a.cl -o out.txt", 0u}};
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
