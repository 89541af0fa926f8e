// Inputs that a source tree can hold by accident or by malice: include cycles, huge lines,
// millions of lines, binary bytes, link loops and outputs that cannot be written. Every one ends
// with status 0 or with one error line and -1, in bounded time, and never touches an input.
// (An input named twice is a case of tests/cases/run.cases.)

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "test_tree.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

class HostileTest : public TreeTest {};

std::size_t Count(const std::string& text, const std::string& word) {
    std::size_t count = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(HostileTest, IncludeCycleStopsAtTheRecursionLimit) {
    Check({"two files that include each other",
           {{"a.cl", "#include \"b.h\"\n"},
            {"b.h", "b\n#include \"c.h\"\n"},
            {"c.h", "#include \"b.h\"\nc\n"}},
           {"-nfln", "-mir", "6", "-i", "a.cl", "-o", "out.txt"},
           "// #include {root}{/}b.h\nb\n// #include {root}{/}c.h\n// #include {root}{/}b.h\nb\n"
           "// #include {root}{/}c.h\n// #include {root}{/}b.h\nb\n",
           "error: '{root}{/}b.h' line 2: maximum include recursion exceeded\n",
           -1});
}

TEST_F(HostileTest, UnlimitedIncludeCycleEndsWhenFilesRunOut) {
#if defined(_WIN32)
    GTEST_SKIP() << "the open-file limit is lowered through POSIX setrlimit";
#else
    // Every frame keeps its file open, so with no depth limit the cycle ends when no more files
    // can be opened; a low limit keeps that quick.
    Write("a.cl", "x\n#include \"a.h\"\n");
    Write("a.h", "#include \"a.h\"\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit lowered = saved;
    if (lowered.rlim_cur == RLIM_INFINITY || lowered.rlim_cur > 128) lowered.rlim_cur = 128;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    const RunResult r = Run_Tool({"-nfln", "-mir", "0", "-i", "a.cl", "-o", "out.txt"});
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err, Expand("error: failed to open '{root}{/}a.h'\n"));
    // The output keeps everything written before the error.
    const std::string out = Read("out.txt");
    const std::size_t includes = Count(out, "// #include");
    EXPECT_GT(includes, 64u);
    EXPECT_LT(includes, 128u);
    std::string expected = "x\n";
    for (std::size_t i = 0; i < includes; ++i) expected += Expand("// #include {root}{/}a.h\n");
    EXPECT_EQ(out, expected);
#endif
}

TEST_F(HostileTest, HugeLineAndMillionEmptyLines) {
    // 100 MB without a line feed, holding a directive character and a comment, then an include:
    // read, stripped and written whole, and the run goes on behind it.
    std::string line(100 * 1024 * 1024, 'x');
    line.replace(1000, 9, "# /* c */");
    Write("big.cl", line + "\n#include \"b.h\"");
    Write("b.h", "b\n");
    RunResult r = Run_Tool({"-nfln", "-i", "big.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(Read("out.txt") == line + As_Written(Expand("\n// #include {root}{/}b.h\nb\n")));

    // After a million lines the line after an include keeps its number.
    const std::string empty(1000000, '\n');
    Write("a.cl", empty + "#include \"b.h\"\nend\n");
    r = Run_Tool({"-i", "a.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(Read("out.txt") ==
                As_Written(empty + Expand("// #include {root}{/}b.h\n#line 1 // \"b.h\"\nb\n"
                                          "#line 1000002 // \"a.cl\"\nend\n")));
}

TEST_F(HostileTest, RandomBinaryBytes) {
    // A megabyte of random bytes, with quote bytes only in its second half: the first half is
    // written as it was read (CR before LF dropped), and the first quote left open ends the run
    // at its line. Ctrl-Z would end the file in the Windows text mode.
    std::mt19937 random(20260601);
    std::string bytes(1 << 20, 'x');  // no byte order mark
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        const char b = static_cast<char>(random() & 0xFF);
        const bool quote = b == '"' || b == '\'';
        bytes[i] = b == '\x1A' || (quote && i < bytes.size() / 2) ? 'q' : b;
    }
    Write("bin.cl", bytes);
    const RunResult r = Run_Tool({"-nfln", "-i", "bin.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, -1);
    // Stray #if and #endif lines may be warned about; the only error is the open quote.
    std::size_t at = 0;
    while (r.err.compare(at, 9, "warning: ") == 0) at = r.err.find('\n', at) + 1;
    const std::string error = r.err.substr(at);
    unsigned failed = 0;
    ASSERT_EQ(std::sscanf(error.c_str(), "error: 'bin.cl' line %u:", &failed), 1) << r.err;
    EXPECT_EQ(error, "error: 'bin.cl' line " + std::to_string(failed) +
                         ": failed to strip comments\n");
    EXPECT_GT(failed, Count(bytes.substr(0, bytes.size() / 2), "\n"));
    std::string lines;
    for (std::size_t begin = 0; --failed > 0;) {
        const std::size_t end = bytes.find('\n', begin);
        lines += bytes.substr(begin, end - begin - (bytes[end - 1] == '\r' ? 1 : 0)) + "\n";
        begin = end + 1;
    }
    EXPECT_TRUE(Read("out.txt") == As_Written(lines));
    EXPECT_TRUE(Read("bin.cl") == bytes);
}

TEST_F(HostileTest, LinkLoopsAndLinksToTheOutput) {
#if defined(_WIN32)
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#else
    Write("a.cl", "x\n#include \"self.h\"\n");
    fs::create_symlink("self.h", "self.h");
    RunResult r = Run_Tool({"-nfln", "-i", "a.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err, "error: 'a.cl' line 2: failed to resolve include of 'self.h': file not found"
                     "\n");
    EXPECT_EQ(Read("out.txt"), "x\n");

    // A folder link back to its own folder: the path grows by "up/" with every include until
    // the system stops following links, is found again from the current folder, and so on,
    // until the depth limit.
    Write("loop/a.h", "a\n#include \"up/a.h\"\n");
    fs::create_symlink(".", "loop/up");
    fs::current_path("loop");
    r = Run_Tool({"-nfln", "-mir", "50", "-i", "a.h", "-o", "out.txt"});
    fs::current_path(root_);
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err.rfind("error: '" + root_ + "/loop/up/", 0), 0u) << r.err;
    const std::string tail = "/a.h' line 2: maximum include recursion exceeded\n";
    EXPECT_EQ(r.err.find(tail), r.err.size() - tail.size()) << r.err;
    EXPECT_EQ(Count(Read("loop/out.txt"), "a\n"), 50u);

    // An input that is a link to the output is refused before the output is opened.
    Write("out.txt", "keep me\n");
    fs::create_symlink("out.txt", "soft.cl");
    fs::create_hard_link("out.txt", "hard.cl");
    for (const std::string input : {"soft.cl", "hard.cl"}) {
        SCOPED_TRACE(input);
        r = Run_Tool({"-i", input, "-o", "out.txt"});
        EXPECT_EQ(r.status, -1);
        EXPECT_EQ(r.err, "error: '" + input + "' is both an input and the output\n");
        EXPECT_EQ(Read("out.txt"), "keep me\n");
    }
#endif
}

TEST_F(HostileTest, ReadOnlyOutput) {
#if defined(_WIN32)
    GTEST_SKIP() << "folder permissions are POSIX modes here";
#else
    if (geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop root writing";
    Write("a.cl", "a\n");
    fs::create_directory("ro");
    fs::permissions("ro", fs::perms::owner_read | fs::perms::owner_exec);
    const RunResult r = Run_Tool({"-i", "a.cl", "-o", "ro/out.txt"});
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err, "error: failed to open 'ro/out.txt' for writing\n");
    EXPECT_FALSE(Exists("ro/out.txt"));
#endif
}

}  // namespace
