#include "app/run.h"

#include <gtest/gtest.h>

#include <string>

#include "test_tree.h"

namespace {

class RunTest : public TreeTest {};

const char kBom[] = "\xEF\xBB\xBF";

TEST_F(RunTest, JoinsInputsInOrder) {
    const TreeCase cases[] = {
        {"two inputs, no separator",
         {{"a.cl", "a1\na2\n"}, {"b.cl", "b1\n"}},
         {"-i", "a.cl", "-i", "b.cl", "-o", "out.txt"},
         "a1\na2\nb1\n"},
        {"an input named twice is joined twice",
         {{"a.cl", "a\n"}},
         {"-i", "a.cl", "-o", "out.txt", "-i", "a.cl"},
         "a\na\n"},
        {"empty file, final line without feed, two feeds at the end",
         {{"e.cl", ""}, {"n.cl", "x\ny"}, {"f.cl", "z\n\n"}},
         {"-i", "e.cl", "-i", "n.cl", "-i", "f.cl", "-o", "out.txt"},
         "x\ny\nz\n\n"},
        {"CR LF read as LF, lone CR kept",
         {{"w.cl", "a\r\nb\rc\r\n"}},
         {"-i", "w.cl", "-o", "out.txt"},
         "a\nb\rc\n"},
        {"NUL bytes are written whole",
         {{"z.cl", std::string("a\0b\n\0\n", 6)}},
         {"-i", "z.cl", "-o", "out.txt"},
         std::string("a\0b\n\0\n", 6)},
        {"comments and literals pass unchanged",
         {{"c.cl", "x /* a\n b */ y // \"q\n'#' \"/*\"\n"}},
         {"-i", "c.cl", "-o", "out.txt"},
         "x /* a\n b */ y // \"q\n'#' \"/*\"\n"},
        {"the first input's byte order mark leads the output, later ones are dropped",
         {{"a.cl", std::string(kBom) + "a\n"}, {"b.cl", std::string(kBom) + "b\n"}},
         {"-i", "a.cl", "-i", "b.cl", "-i", "a.cl", "-o", "out.txt"},
         std::string(kBom) + "a\nb\na\n"},
        {"a byte order mark after the start is text",
         {{"a.cl", std::string("a\n") + kBom + "\n"}},
         {"-i", "a.cl", "-o", "out.txt"},
         std::string("a\n") + kBom + "\n"},
    };
    for (const TreeCase& c : cases) Check(c);
}

TEST_F(RunTest, ErrorsEndTheRunAndKeepTheOutput) {
    const TreeCase cases[] = {
        {"a missing second input",
         {{"a.cl", "a\n"}},
         {"-i", "a.cl", "-i", "missing.cl", "-o", "out.txt"},
         "a\n",
         "error: failed to open 'missing.cl'\n",
         -1},
        {"a directory as input",
         {{"dir/x.h", "x\n"}},
         {"-i", "dir", "-o", "out.txt"},
         "",
         "error: failed to open 'dir'\n",
         -1},
        {"an unterminated literal",
         {{"a.cl", "one\n\"two\nthree\n"}, {"b.cl", "b\n"}},
         {"-i", "a.cl", "-i", "b.cl", "-o", "out.txt"},
         "one\n",
         "error: 'a.cl' line 2: failed to strip comments\n",
         -1},
        {"a literal opened inside a finished block comment line",
         {{"a.cl", "/* x\n*/ it's\n"}},
         {"-i", "a.cl", "-o", "out.txt"},
         "/* x\n",
         "error: 'a.cl' line 2: failed to strip comments\n",
         -1},
        {"an output that cannot be created",
         {{"a.cl", "a\n"}},
         {"-i", "a.cl", "-o", "missing/out.txt"},
         "",
         "error: failed to open 'missing/out.txt' for writing\n",
         -1},
    };
    for (const TreeCase& c : cases) Check(c);
}

TEST_F(RunTest, AnInputThatIsTheOutputIsNeverTruncated) {
    Write("a.cl", "keep me\n");
    Write("b.cl", "b\n");
    RunResult r = Run_Tool({"-i", "b.cl", "-i", "./a.cl", "-o", "a.cl"});
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err, "error: './a.cl' is both an input and the output\n");
    EXPECT_EQ(Read("a.cl"), "keep me\n");

    // Named as output before it exists: created empty, then refused when read.
    r = Run_Tool({"-i", "b.cl", "-i", "new.cl", "-o", "new.cl"});
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err, "error: failed to open 'new.cl': it is the output file\n");
    EXPECT_EQ(Read("new.cl"), "b\n");
}

TEST_F(RunTest, VerboseMessagesAndHelp) {
    Write("a.cl", "a\n");
    Write("b.cl", "b\n");
    RunResult r = Run_Tool({"-v", "-i", "a.cl", "-i", "b.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0);
    const std::string banner = "Quillfold 1.01 (built " + std::string(__DATE__) + ")\n\n";
    EXPECT_EQ(r.out, banner + "loading 'a.cl' ...\nloading 'b.cl' ...\n");
    EXPECT_EQ(r.err, "");

    r = Run_Tool({"-v", "-i", "missing.cl", "-o", "out.txt"});
    EXPECT_EQ(r.out, banner + "loading 'missing.cl' ...\n");

    r = Run_Tool({"-i", "a.cl", "-o", "help.txt", "-h"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(Exists("help.txt"));
    r = Run_Tool({"-i", "a.cl", "-o", "bad.txt", "-zzz", "-x"});
    EXPECT_EQ(r.status, -1);
    EXPECT_FALSE(Exists("bad.txt"));
}

TEST_F(RunTest, WriteErrorAtTheEndIsReported) {
    Write("a.cl", "a\n");
    FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) GTEST_SKIP() << "this system has no /dev/full";
    std::fclose(full);
    const RunResult r = Run_Tool({"-i", "a.cl", "-o", "/dev/full"});
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err, "error: I/O error while writing '/dev/full'\n");
}

TEST_F(RunTest, HugeSingleLine) {
    // 50 MB without a line feed: read and written whole, in bounded steps.
    std::string line(50 * 1024 * 1024, 'x');
    line[1000] = '#';
    Write("big.cl", line);
    const RunResult r = Run_Tool({"-i", "big.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0);
    const std::string out = Read("out.txt");
    EXPECT_EQ(out.size(), line.size() + 1);
    EXPECT_TRUE(out.compare(0, line.size(), line) == 0);
}

}  // namespace
