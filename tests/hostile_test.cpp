// Trees too big or too odd for a case file: open-file limits, huge lines, millions of lines, and
// links. Each run ends with status 0 or with one error and -1, and never touches an input.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_tree.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

namespace {

class HostileTest : public TreeTest {};

#if !defined(_WIN32)
std::string Repeated(const std::string& text, std::size_t count) {
    std::string all;
    for (std::size_t i = 0; i < count; ++i) all += text;
    return all;
}
#endif

TEST_F(HostileTest, OpenFilesUnderALowLimit) {
#if defined(_WIN32)
    GTEST_SKIP() << "the open-file limit is lowered through POSIX setrlimit";
#else
    // A header included 1100 times, one after the other, needs one file open at a time; a
    // cycle without a depth limit keeps every file open and ends when no more can be opened.
    Write("many.cl", Repeated("#include \"a.h\"\n", 1100));
    Write("a.h", "a\n");
    Write("cycle.cl", "#include \"cycle.h\"\n");
    Write("cycle.h", "c\n#include \"cycle.h\"\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit lowered = saved;
    if (lowered.rlim_cur == RLIM_INFINITY || lowered.rlim_cur > 256) lowered.rlim_cur = 256;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    const RunResult many = Run_Tool({"-nfln", "-i", "many.cl", "-o", "out.txt"});
    const std::string many_out = Read("out.txt");
    const RunResult cycle = Run_Tool({"-nfln", "-mir", "0", "-i", "cycle.cl", "-o", "out.txt"});
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(many.err, "");
    EXPECT_TRUE(many_out == Repeated(Expand("// #include {root}{/}a.h\na\n"), 1100));
    EXPECT_EQ(cycle.status, -1);
    EXPECT_EQ(cycle.err, Expand("error: failed to open '{root}{/}cycle.h'\n"));
    const std::size_t frames =
        Read("out.txt").size() / Expand("// #include {root}{/}cycle.h\nc\n").size();
    EXPECT_TRUE(frames > 128 && frames < 256) << frames;
#endif
}

TEST_F(HostileTest, HugeLineAndMillionEmptyLines) {
    // 20 MB without a line feed, holding a directive character and a comment, then an include:
    // read, stripped and written whole, and the run goes on behind it.
    std::string line(20 * 1024 * 1024, 'x');
    line.replace(1000, 9, "# /* c */");
    Write("big.cl", line + "\n#include \"b.h\"");
    Write("b.h", "b\n");
    RunResult r = Run_Tool({"-nfln", "-i", "big.cl", "-o", "out.txt"});
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(Read("out.txt") == line + As_Written(Expand("\n// #include {root}{/}b.h\nb\n")));

    // After a million lines the line after an include keeps its number.
    const std::string empty(1000000, '\n');
    Write("a.cl", empty + "#include \"b.h\"\nend\n");
    r = Run_Tool({"-i", "a.cl", "-o", "out.txt"});
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(Read("out.txt") ==
                As_Written(empty + Expand("// #include {root}{/}b.h\n#line 1 // \"b.h\"\nb\n"
                                          "#line 1000002 // \"a.cl\"\nend\n")));
}

TEST_F(HostileTest, LinkLoopsAndLinksToTheOutput) {
#if defined(_WIN32)
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#else
    Write("a.cl", "x\n#include \"self.h\"\n");
    fs::create_symlink("self.h", "self.h");
    RunResult r = Run_Tool({"-nfln", "-i", "a.cl", "-o", "out.txt"});
    EXPECT_EQ(r.err,
              "error: 'a.cl' line 2: failed to resolve include of 'self.h': file not found\n");

    // A folder link back to its own folder: the path grows by "up/" with every include until
    // the system stops following links, is found again from the current folder, and so on,
    // until the depth limit.
    Write("loop/a.h", "a\n#include \"up/a.h\"\n");
    fs::create_symlink(".", "loop/up");
    fs::current_path("loop");
    r = Run_Tool({"-nfln", "-mir", "50", "-i", "a.h", "-o", "out.txt"});
    fs::current_path(root_);
    const std::string tail = "/a.h' line 2: maximum include recursion exceeded\n";
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err.rfind(tail), r.err.size() - tail.size()) << r.err;

    // An input that is a link to the output is refused before the output is opened.
    Write("out.txt", "keep me\n");
    fs::create_symlink("out.txt", "soft.cl");
    fs::create_hard_link("out.txt", "hard.cl");
    for (const std::string input : {"soft.cl", "hard.cl"}) {
        r = Run_Tool({"-i", input, "-o", "out.txt"});
        EXPECT_EQ(r.err, "error: '" + input + "' is both an input and the output\n");
        EXPECT_EQ(Read("out.txt"), "keep me\n");
    }
#endif
}

}  // namespace
