// End to end with real compilers: small multi-file programs are joined by the tool and the joined
// text is compiled; the compiler's diagnostics must name the files and lines that the erroneous
// text came from. A compiler that is not installed, or that cannot compile at all here, skips
// its tests.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "test_tree.h"

namespace {

using Places = std::vector<std::string>;

bool Is_Number(const std::string& text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// The places of the errors in compiler diagnostics, in the order they were reported, each as
// "file:line". Reads "file:line:column: error: ..." and "file:line: error: ..." (gcc, clang) and
// "file(line): error: ..." (nvcc); notes, warnings and echoed source lines are passed over.
Places Error_Places(const std::string& diagnostics) {
    Places places;
    std::istringstream lines(diagnostics);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t at = line.find(": error:");
        if (at == std::string::npos) at = line.find(": fatal error:");
        if (at == std::string::npos || at == 0) continue;
        std::string head = line.substr(0, at);
        if (head.back() == ')') {
            const std::size_t open = head.rfind('(');
            if (open != std::string::npos) {
                head = head.substr(0, open) + ":" + head.substr(open + 1, head.size() - open - 2);
            }
        } else {
            // With a column the last two fields are numbers; the column goes.
            const std::size_t last = head.rfind(':');
            if (last != std::string::npos && last > 0 && Is_Number(head.substr(last + 1))) {
                const std::size_t before = head.rfind(':', last - 1);
                if (before != std::string::npos &&
                    Is_Number(head.substr(before + 1, last - before - 1))) {
                    head.resize(last);
                }
            }
        }
        places.push_back(head);
    }
    return places;
}

// Runs a shell command; true when it exits with status 0.
bool Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return status == 0;
}

bool On_Path(const std::string& program) {
    return Shell("command -v " + program + " >/dev/null 2>&1");
}

struct Compiled {
    bool ok = false;
    std::string diagnostics;
};

class CompileTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
#ifdef _WIN32
        GTEST_SKIP() << "the compilers are run through a POSIX shell";
#endif
    }

    /// The system's C compiler: gcc, else cc; empty when there is neither.
    static const std::string& C_Compiler() {
        static const std::string found = On_Path("gcc") ? "gcc" : On_Path("cc") ? "cc" : "";
        return found;
    }

    /// Joins with `args`; false, with the tool's messages reported, when the run fails or warns.
    bool Join(const std::vector<std::string>& args) {
        const RunResult result = Run_Tool(args);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        return result.status == 0 && result.err.empty();
    }

    /// Runs `command` in the tree's root, in the C locale, with its standard output and error
    /// collected in a file of the tree.
    Compiled Compile(const std::string& command) {
        Compiled compiled;
        compiled.ok = Shell("LC_ALL=C " + command + " >diagnostics.txt 2>&1");
        compiled.diagnostics = Read("diagnostics.txt");
        return compiled;
    }

    /// Compiles the joined `output` and checks the places of its errors.
    void Expect_Errors_At(const std::string& command, const std::string& output,
                          const Places& expected) {
        const Compiled compiled = Compile(command);
        EXPECT_FALSE(compiled.ok) << command;
        EXPECT_EQ(Error_Places(compiled.diagnostics), expected)
            << command << "\n--- joined " << output << ":\n"
            << Read(output) << "--- diagnostics:\n"
            << compiled.diagnostics;
    }
};

// ---------------------------------------------------------------------------------------------
// A C program: one input, a header beside it and one in an include directory, an error in each.

const char kUtilH[] =
    "#ifndef UTIL_H\n"
    "#define UTIL_H\n"
    "\n"
    "static int util_twice(int x) { return 2 * x; }\n"
    "static int util_broken(void) { return util_missing; }\n"
    "\n"
    "#endif\n";

const char kValuesH[] =
    "static int values_count(void) { return 3; }\n"
    "static int values_broken(void) { return values_missing; }\n";

const char kMainC[] =
    "int early = early_missing;\n"
    "#include \"util.h\"\n"
    "#include <api/values.h>\n"
    "\n"
    "int main(void) {\n"
    "    int n = values_count();\n"
    "    return util_twice(n) + main_missing;\n"
    "}\n";

TEST_F(CompileTest, CProgramErrorsKeepTheirLines) {
    const std::string cc = C_Compiler();
    if (cc.empty()) GTEST_SKIP() << "no C compiler (gcc or cc) on the PATH";
    Write("util.h", kUtilH);
    Write("inc/api/values.h", kValuesH);
    Write("main.c", kMainC);

    struct Case {
        const char* name;
        std::vector<std::string> options;
        Places errors;
    };
    const Case cases[] = {
        // The directives carry numbers only: the compiler names the joined file throughout, but
        // each header's error comes at the header's own line.
        {"default options", {}, {"out.c:1", "out.c:5", "out.c:2", "out.c:7"}},
        // Headers are named. The input itself is not named before its first include, but once a
        // header was named, returning to the input must name it again, or its later lines would
        // be reported against the header.
        {"-lnff", {"-lnff"}, {"out.c:1", "util.h:5", "api/values.h:2", "main.c:7"}},
        {"-lnff -sif", {"-lnff", "-sif"}, {"main.c:1", "util.h:5", "api/values.h:2", "main.c:7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args{"-i", "main.c", "-I", "inc", "-o", "out.c"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        if (!Join(args)) continue;
        Expect_Errors_At(cc + " -fsyntax-only -x c out.c", "out.c", c.errors);
    }
}

// ---------------------------------------------------------------------------------------------
// An #include inside a conditional block: the directive written after the included text is
// skipped with the block when the compiler does not take it, so the #endif is followed by a
// directive of its own.

TEST_F(CompileTest, ErrorsAfterAnEndifKeepTheirLines) {
    const std::string cc = C_Compiler();
    if (cc.empty()) GTEST_SKIP() << "no C compiler (gcc or cc) on the PATH";
    Write("a.h",
          "static int a_value(void) { return 1; }\n"
          "static int a_broken(void) { return a_missing; }\n");
    Write("plain.c",
          "int before;\n"
          "#if A\n"
          "#include \"a.h\"\n"
          "#endif\n"
          "\n"
          "int after(void) { return after_missing; }\n");
    // The #endif opens a block comment that the next line closes.
    Write("comment.c",
          "#if A\n"
          "#include \"a.h\"\n"
          "#endif /* note\n"
          "   still the note */ int middle = middle_missing;\n"
          "int after(void) { return after_missing; }\n");
    // A block in a block, each with an include; the inner #endif fixes the numbers too.
    Write("nested.c",
          "#ifdef A\n"
          "#include \"a.h\"\n"
          "#if B\n"
          "#include \"b.h\"\n"
          "#endif\n"
          "int inner = inner_missing;\n"
          "#endif\n"
          "int after(void) { return after_missing; }\n");
    Write("b.h", "int b_value;\n");

    struct Case {
        const char* input;
        std::vector<std::string> options;
        const char* defines;
        Places errors;
    };
    const Case cases[] = {
        {"plain.c", {}, "", {"out.c:6"}},
        {"plain.c", {}, "-DA", {"out.c:2", "out.c:6"}},
        {"plain.c", {"-lnff"}, "", {"plain.c:6"}},
        {"plain.c", {"-lnff"}, "-DA", {"a.h:2", "plain.c:6"}},
        {"comment.c", {}, "", {"out.c:4", "out.c:5"}},
        {"comment.c", {}, "-DA", {"out.c:2", "out.c:4", "out.c:5"}},
        {"comment.c", {"-lnff"}, "", {"comment.c:4", "comment.c:5"}},
        {"comment.c", {"-lnff"}, "-DA", {"a.h:2", "comment.c:4", "comment.c:5"}},
        {"nested.c", {"-lnff"}, "", {"nested.c:8"}},
        {"nested.c", {"-lnff"}, "-DA", {"a.h:2", "nested.c:6", "nested.c:8"}},
        {"nested.c", {"-lnff"}, "-DA -DB=1", {"a.h:2", "nested.c:6", "nested.c:8"}},
    };
    for (const Case& c : cases) {
        std::string options;
        for (const std::string& option : c.options) options += " " + option;
        SCOPED_TRACE(std::string(c.input) + options + " compiled with '" + c.defines + "'");
        std::vector<std::string> args{"-i", c.input, "-o", "out.c"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        if (!Join(args)) continue;
        Expect_Errors_At(cc + " -fsyntax-only -x c " + c.defines + " out.c", "out.c", c.errors);
    }
}

// ---------------------------------------------------------------------------------------------
// An input that sets its own numbering with #line: after an include the numbering it set goes
// on.

TEST_F(CompileTest, ExistingLineDirectiveNumbersTheLinesAfterAnInclude) {
    const std::string cc = C_Compiler();
    if (cc.empty()) GTEST_SKIP() << "no C compiler (gcc or cc) on the PATH";
    // A declaration only: it may be included twice.
    Write("a.h", "int a_value(void);\n");
    Write("main.c",
          "int first = first_missing;\n"
          "#line 100 \"gen.c\"\n"
          "int g1 = gen_missing_1;\n"
          "#include \"a.h\"\n"
          "int g2 = gen_missing_2;\n"
          "#include \"a.h\"\n"
          "\n"
          "int g3 = gen_missing_3;\n");
    const Places errors{"out.c:1", "gen.c:100", "gen.c:102", "gen.c:105"};
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{}, std::vector<std::string>{"-lnff"}}) {
        SCOPED_TRACE(options.empty() ? "default options" : "-lnff");
        std::vector<std::string> args{"-i", "main.c", "-o", "out.c"};
        args.insert(args.end(), options.begin(), options.end());
        if (!Join(args)) continue;
        Expect_Errors_At(cc + " -fsyntax-only -x c out.c", "out.c", errors);
    }
}

// ---------------------------------------------------------------------------------------------
// Include-once: a header first expanded in a block that the compiler may skip. Its later
// inclusion is replaced by a check that stops the compilation when the block was skipped.

TEST_F(CompileTest, IncludeOnceChecksAreMadeByTheCompiler) {
    const std::string cc = C_Compiler();
    if (cc.empty()) GTEST_SKIP() << "no C compiler (gcc or cc) on the PATH";
    Write("a.h", "static int a_value(void) { return 1; }\n");
    Write("main.c",
          "#ifdef USE_A\n"
          "#include \"a.h\"\n"
          "#endif\n"
          "#include \"a.h\"\n"
          "int use(void) { return a_value(); }\n");
    ASSERT_TRUE(Join({"-io", "-i", "main.c", "-o", "out.c"}));

    const Compiled skipped = Compile(cc + " -fsyntax-only -x c out.c");
    EXPECT_FALSE(skipped.ok);
    EXPECT_NE(skipped.diagnostics.find("include once error: file 'a.h' is not included"),
              std::string::npos)
        << "--- joined:\n"
        << Read("out.c") << "--- diagnostics:\n"
        << skipped.diagnostics;
    EXPECT_EQ(Error_Places(skipped.diagnostics).size(), 1u) << skipped.diagnostics;

    const Compiled taken = Compile(cc + " -fsyntax-only -x c -DUSE_A out.c");
    EXPECT_TRUE(taken.ok) << "--- joined:\n" << Read("out.c") << "--- diagnostics:\n"
                          << taken.diagnostics;
    EXPECT_EQ(Error_Places(taken.diagnostics), Places{}) << taken.diagnostics;
}

// ---------------------------------------------------------------------------------------------
// Compilers that take one source text: an OpenCL kernel with clang, a CUDA file with nvcc.

TEST_F(CompileTest, OpenClKernelWithClang) {
    static const bool usable = [this] {
        if (!On_Path("clang")) return false;
        Write("probe.cl", "kernel void probe(global int* p) { p[0] = 1; }\n");
        return Shell("clang -x cl -cl-std=CL1.2 -fsyntax-only probe.cl >/dev/null 2>&1");
    }();
    if (!usable) GTEST_SKIP() << "clang is not installed or does not compile OpenCL C";
    Write("include/blur_weights.h",
          "#define RADIUS 2\n"
          "\n"
          "inline float weight(int i) { return 1.0f / (RADIUS + i) + weight_missing; }\n");
    Write("kernel.cl",
          "#include <blur_weights.h>\n"
          "\n"
          "__kernel void blur(__global const float* in, __global float* out) {\n"
          "    const int i = get_global_id(0);\n"
          "    out[i] = in[i] * weight(0) + kernel_missing;\n"
          "}\n");
    ASSERT_TRUE(Join({"-lnff", "-sif", "-I", "include", "-i", "kernel.cl", "-o", "out.cl"}));
    Expect_Errors_At("clang -x cl -cl-std=CL1.2 -fsyntax-only out.cl", "out.cl",
                     {"blur_weights.h:3", "kernel.cl:5"});
}

TEST_F(CompileTest, CudaWithNvcc) {
    static const std::string nvcc = [this]() -> std::string {
        std::string found;
        if (On_Path("nvcc")) {
            found = "nvcc";
        } else if (Shell("test -x /usr/local/cuda/bin/nvcc")) {
            found = "/usr/local/cuda/bin/nvcc";
        } else {
            return "";
        }
        // nvcc needs a host compiler of a version it supports; a trivial file shows whether it
        // can compile at all.
        Write("probe.cu", "__global__ void probe(int* p) { p[0] = 1; }\n");
        return Shell(found + " -x cu -c -o /dev/null probe.cu >/dev/null 2>&1") ? found : "";
    }();
    if (nvcc.empty()) GTEST_SKIP() << "nvcc is not installed or cannot compile here";
    Write("scale.cuh",
          "__device__ int scale(int x) {\n"
          "    return 2 * x + scale_missing;\n"
          "}\n");
    Write("kernel.cu",
          "#include \"scale.cuh\"\n"
          "\n"
          "__global__ void run(int* p) {\n"
          "    p[0] = scale(p[0]) + kernel_missing;\n"
          "}\n");
    ASSERT_TRUE(Join({"-lnff", "-sif", "-i", "kernel.cu", "-o", "out.cu"}));
    Expect_Errors_At(nvcc + " -x cu -c -o /dev/null out.cu", "out.cu",
                     {"scale.cuh:2", "kernel.cu:4"});
}

}  // namespace
