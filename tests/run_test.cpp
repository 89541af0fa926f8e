#include "app/run.h"

#include <gtest/gtest.h>

#include <string>

#include "test_tree.h"

namespace {

class RunTest : public TreeTest {};

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
    EXPECT_EQ(Read("new.cl"), As_Written("b\n"));
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

    Write("c.cl", "#include <none.h>\n");
    r = Run_Tool({"-v", "-kui", "-i", "c.cl", "-o", "out.txt"});
    EXPECT_EQ(r.out,
              banner + "loading 'c.cl' ...\n    leaving <none.h> to the compiler: not found\n");

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

TEST_F(RunTest, RecursionLimit) {
    // f0.cl includes f1.h, which includes f2.h, and so on.
    auto chain = [this](int files, const std::string& folder) {
        for (int i = 0; i < files; ++i) {
            const std::string name = folder + "/f" + std::to_string(i) + (i == 0 ? ".cl" : ".h");
            Write(name,
                  i + 1 < files ? "#include \"f" + std::to_string(i + 1) + ".h\"\n" : "end\n");
        }
    };
    chain(300, "ok");
    RunResult r = Run_Tool({"-nfln", "-i", "ok/f0.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;

    chain(301, "deep");
    r = Run_Tool({"-nfln", "-i", "deep/f0.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(
        r.err,
        Expand("error: '{root}{/}deep{/}f299.h' line 1: maximum include recursion exceeded\n"));

    r = Run_Tool({"-nfln", "-mir", "0", "-i", "deep/f0.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;

    r = Run_Tool({"-mir", "1", "-i", "ok/f0.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err, "error: 'ok/f0.cl' line 1: maximum include recursion exceeded\n");
}

TEST_F(RunTest, VerboseRecursionIsIndented) {
    Write("a.cl", "#include \"b.h\"\n#include \"b.h\"\n");
    Write("b.h", "#include \"inc/c.h\"\n");
    Write("inc/c.h", "c\n");
    const RunResult r = Run_Tool({"-v", "-i", "a.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0);
    const std::string banner = "Quillfold 1.01 (built " + std::string(__DATE__) + ")\n\n";
    EXPECT_EQ(r.out, Expand(banner +
                            "loading 'a.cl' ...\n"
                            "    recursing to 'b.h' (resolved as '{root}{/}b.h')\n"
                            "        recursing to 'inc/c.h' (resolved as '{root}{/}inc{/}c.h')\n"
                            "    recursing to 'b.h' (resolved as '{root}{/}b.h')\n"
                            "        recursing to 'inc/c.h' (resolved as '{root}{/}inc{/}c.h')\n"));
}

TEST_F(RunTest, LineNumbersInMessages) {
    // An include that cannot be resolved reports the line number the directive before it set,
    // and always names the file's path.
    const struct {
        const char* directive;
        const char* line;
        const char* warnings;
    } cases[] = {
        {"#line 100 \"gen.cl\"", "100", ""},
        {"# line 100", "100", ""},
        {"#  line\t100", "100", ""},
        {"#line100", "2", ""},
        {"#line 100 ", "100", ""},
        {"#line 100 // note", "100", ""},
        {"#line 100 /* note */", "100", ""},
        {"#line 100 file.cl", "2", ""},
        {"#line 12abc", "12", ""},
        {"#line -3", "0", ""},
        {"#LINE 100", "2", ""},
        {"# 100 \"gen.cl\"", "2", ""},
        {"#line 4294967295", "4294967295", ""},
        {"#line 4294967296", "0",
         "warning: 'a.cl' line 1: integral constant overflow: '#line 4294967296'\n"},
        {"#line 99999999999", "1215752191",
         "warning: 'a.cl' line 1: integral constant overflow: '#line 99999999999'\n"
         "warning: 'a.cl' line 1: integral constant overflow: '#line 99999999999'\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.directive);
        Write("a.cl", std::string(c.directive) + "\n#include \"missing.h\"\n");
        const RunResult r = Run_Tool({"-i", "a.cl", "-o", "out.txt"});
        EXPECT_EQ(r.status, -1);
        EXPECT_EQ(r.err, std::string(c.warnings) + "error: 'a.cl' line " + c.line +
                             ": failed to resolve include of 'missing.h': file not found\n");
    }
    // An unterminated name is an unterminated literal, which ends the run before the line is
    // looked at as a directive.
    Write("a.cl", "#line 100 \"unterminated\n");
    RunResult r = Run_Tool({"-i", "a.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err, "error: 'a.cl' line 1: failed to strip comments\n");

    // The overflow warning comes even when directives are not followed.
    Write("a.cl", "#line 4294967296\n");
    r = Run_Tool({"-nfld", "-i", "a.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "warning: 'a.cl' line 1: integral constant overflow: '#line 4294967296'\n");
    EXPECT_EQ(Read("out.txt"), As_Written("#line 4294967296\n"));
}

}  // namespace

namespace {

// A tree joined in two folders, with every form of path the output can hold: include comments,
// named line directives, include-once guard names and #pragma once macros.
TEST_F(RunTest, PathPrefixMapMakesTheOutputTheSameWhereverTheTreeIs) {
    std::string outputs[2];
    for (const char* folder : {"one", "two"}) {
        const std::string top = root_ + "/" + folder;
        Write(std::string(folder) + "/src/main.c",
              "#include \"p.h\"\n#include <q.h>\n#include \"p.h\"\n");
        Write(std::string(folder) + "/src/p.h", "#pragma once\np\n");
        Write(std::string(folder) + "/inc/q.h", "q\n");
        const RunResult r =
            Run_Tool({"-io", "-lnff", "-sif", "-ppm", top + "=/checkout", "-I", top + "/inc", "-i",
                      top + "/src/main.c", "-o", std::string(folder) + ".out"});
        EXPECT_EQ(r.status, 0) << r.err;
        outputs[folder[0] == 't'] = Read(std::string(folder) + ".out");
    }
    EXPECT_EQ(outputs[0], outputs[1]);
    EXPECT_EQ(outputs[0].find(root_), std::string::npos) << outputs[0];
}

}  // namespace
