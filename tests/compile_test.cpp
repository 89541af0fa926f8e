// End to end with real compilers: small multi-file programs are joined by the tool and the joined
// text is compiled; the compiler's diagnostics must name the files and lines that the erroneous
// text came from. The C tests need gcc (or cc); clang for OpenCL and nvcc skip their tests when
// they are not installed or cannot compile here.

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "test_tree.h"

namespace {

using Places = std::vector<std::string>;

// The places of the errors in compiler diagnostics, in the order reported, each "file:line":
// from "file:line[:column]: [fatal ]error:" (gcc, clang) and "file(line): error:" (nvcc).
Places Error_Places(const std::string& diagnostics) {
    static const std::regex error(R"(^(.+?)(?::(\d+)(?::\d+)?|\((\d+)\)): (?:fatal )?error:)");
    Places places;
    std::istringstream lines(diagnostics);
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_search(line, match, error)) {
            places.push_back(match.str(1) + ":" + match.str(match[2].matched ? 2 : 3));
        }
    }
    return places;
}

// Runs a shell command in the C locale; true when it exits with status 0.
bool Shell(const std::string& command) {
    return std::system(("LC_ALL=C " + command).c_str()) == 0;
}

class CompileTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
#ifdef _WIN32
        GTEST_SKIP() << "the compilers are run through a POSIX shell";
#endif
    }

    /// The command that checks out.c with `defines` by the system's C compiler (gcc, else cc).
    static std::string Cc(const std::string& defines = "") {
        static const std::string found =
            Shell("command -v gcc >/dev/null 2>&1") ? "gcc" : std::string("cc");
        return found + " -fsyntax-only -x c " + defines + " out.c";
    }

    /// Joins with `args` (output `output`), runs `compile` on the joined text and checks the
    /// places of its errors.
    void Expect_Errors(const std::vector<std::string>& args, const std::string& compile,
                       const Places& expected, const std::string& output = "out.c") {
        std::vector<std::string> all = args;
        all.insert(all.end(), {"-o", output});
        const RunResult joined = Run_Tool(all);
        ASSERT_EQ(joined.status, 0) << joined.err;
        EXPECT_EQ(joined.err, "");
        const bool ok = Shell(compile + " >diagnostics.txt 2>&1");
        const std::string diagnostics = Read("diagnostics.txt");
        EXPECT_EQ(ok, expected.empty()) << diagnostics;
        EXPECT_EQ(Error_Places(diagnostics), expected)
            << compile << "\n--- joined " << output << ":\n"
            << Read(output) << "--- diagnostics:\n"
            << diagnostics;
    }
};

TEST_F(CompileTest, CErrorsKeepTheirFilesAndLines) {
    // main.c: an input, a header beside it and one in an include folder, an error in each.
    Write("util.h",
          "#ifndef UTIL_H\n#define UTIL_H\n\n"
          "static int util_twice(int x) { return 2 * x; }\n"
          "static int util_broken(void) { return util_missing; }\n\n#endif\n");
    Write("inc/api/values.h",
          "static int values_count(void) { return 3; }\n"
          "static int values_broken(void) { return values_missing; }\n");
    Write("main.c",
          "int early = early_missing;\n#include \"util.h\"\n#include <api/values.h>\n\n"
          "int main(void) {\n    int n = values_count();\n"
          "    return util_twice(n) + main_missing;\n}\n");
    // The directive written after an include in a conditional block is skipped with the block
    // when the compiler does not take it, so the #endif is followed by a directive of its own;
    // in comment.c that #endif opens a block comment that the next line closes.
    Write("a.h",
          "static int a_value(void) { return 1; }\n"
          "static int a_broken(void) { return a_missing; }\n");
    Write("plain.c",
          "int before;\n#if A\n#include \"a.h\"\n#endif\n\n"
          "int after(void) { return after_missing; }\n");
    Write("comment.c",
          "#if A\n#include \"a.h\"\n#endif /* note\n"
          "   still the note */ int middle = middle_missing;\n"
          "int after(void) { return after_missing; }\n");
    // An input that sets its own numbering with #line: after an include that numbering goes on.
    Write("b.h", "int b_value(void);\n");
    Write("gen.c",
          "int first = first_missing;\n#line 100 \"gen.c\"\nint g1 = gen_missing_1;\n"
          "#include \"b.h\"\nint g2 = gen_missing_2;\n#include \"b.h\"\n\n"
          "int g3 = gen_missing_3;\n");
    // clang-format off
    const struct { const char* input; std::vector<std::string> options; const char* defines;
                   Places errors; } cases[] = {
        // Numbers only: the joined file is named throughout, each error at its own line.
        {"main.c", {}, "", {"out.c:1", "out.c:5", "out.c:2", "out.c:7"}},
        // Headers are named; once one was, going back to the input must name it again.
        {"main.c", {"-lnff"}, "", {"out.c:1", "util.h:5", "api/values.h:2", "main.c:7"}},
        {"main.c", {"-lnff", "-sif"}, "", {"main.c:1", "util.h:5", "api/values.h:2", "main.c:7"}},
        {"plain.c", {}, "", {"out.c:6"}},
        {"plain.c", {}, "-DA", {"out.c:2", "out.c:6"}},
        {"plain.c", {"-lnff"}, "", {"plain.c:6"}},
        {"plain.c", {"-lnff"}, "-DA", {"a.h:2", "plain.c:6"}},
        {"comment.c", {}, "-DA", {"out.c:2", "out.c:4", "out.c:5"}},
        {"comment.c", {"-lnff"}, "", {"comment.c:4", "comment.c:5"}},
        {"comment.c", {"-lnff"}, "-DA", {"a.h:2", "comment.c:4", "comment.c:5"}},
        {"gen.c", {}, "", {"out.c:1", "gen.c:100", "gen.c:102", "gen.c:105"}},
        {"gen.c", {"-lnff"}, "", {"out.c:1", "gen.c:100", "gen.c:102", "gen.c:105"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input + ::testing::PrintToString(c.options) + " with '" + c.defines + "'");
        std::vector<std::string> args{"-i", c.input, "-I", "inc"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        Expect_Errors(args, Cc(c.defines), c.errors);
    }
}

TEST_F(CompileTest, IncludeOnceChecksAreMadeByTheCompiler) {
    // The header is first expanded in a block the compiler may skip; its later inclusion is a
    // check that stops the compilation when the block was skipped.
    Write("a.h", "static int a_value(void) { return 1; }\n");
    Write("main.c",
          "#ifdef USE_A\n#include \"a.h\"\n#endif\n#include \"a.h\"\n"
          "int use(void) { return a_value(); }\n");
    Expect_Errors({"-io", "-i", "main.c"}, Cc("-DUSE_A"), {});
    ASSERT_FALSE(Shell(Cc() + " >diagnostics.txt 2>&1"));
    const std::string diagnostics = Read("diagnostics.txt");
    EXPECT_NE(diagnostics.find("include once error: file 'a.h' is not included"),
              std::string::npos)
        << diagnostics;
    EXPECT_EQ(Error_Places(diagnostics).size(), 1u) << diagnostics;
}

// Compilers that take one source text: an OpenCL kernel with clang, a CUDA file with nvcc. Each
// is tried on a trivial file first.
TEST_F(CompileTest, OpenClKernelWithClang) {
    Write("probe.cl", "kernel void probe(global int* p) { p[0] = 1; }\n");
    const std::string clang = "clang -x cl -cl-std=CL1.2 -fsyntax-only ";
    if (!Shell(clang + "probe.cl >/dev/null 2>&1")) {
        GTEST_SKIP() << "clang is not installed or does not compile OpenCL C";
    }
    Write("include/blur_weights.h",
          "#define RADIUS 2\n\n"
          "inline float weight(int i) { return 1.0f / (RADIUS + i) + weight_missing; }\n");
    Write("kernel.cl",
          "#include <blur_weights.h>\n\n"
          "__kernel void blur(__global const float* in, __global float* out) {\n"
          "    const int i = get_global_id(0);\n"
          "    out[i] = in[i] * weight(0) + kernel_missing;\n}\n");
    Expect_Errors({"-lnff", "-sif", "-I", "include", "-i", "kernel.cl"}, clang + "out.cl",
                  {"blur_weights.h:3", "kernel.cl:5"}, "out.cl");
}

TEST_F(CompileTest, CudaWithNvcc) {
    // nvcc needs a host compiler of a version it supports.
    Write("probe.cu", "__global__ void probe(int* p) { p[0] = 1; }\n");
    std::string nvcc = "nvcc -x cu -c -o /dev/null ";
    if (!Shell(nvcc + "probe.cu >/dev/null 2>&1")) nvcc = "/usr/local/cuda/bin/" + nvcc;
    if (!Shell(nvcc + "probe.cu >/dev/null 2>&1")) {
        GTEST_SKIP() << "nvcc is not installed or cannot compile here";
    }
    Write("scale.cuh", "__device__ int scale(int x) {\n    return 2 * x + scale_missing;\n}\n");
    Write("kernel.cu",
          "#include \"scale.cuh\"\n\n__global__ void run(int* p) {\n"
          "    p[0] = scale(p[0]) + kernel_missing;\n}\n");
    Expect_Errors({"-lnff", "-sif", "-i", "kernel.cu"}, nvcc + "out.cu",
                  {"scale.cuh:2", "kernel.cu:4"}, "out.cu");
}

}  // namespace
