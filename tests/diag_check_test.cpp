// The tool's promise, checked against the compiler itself: g++ reading the joined text reports
// its first error at the file and line where it reports it reading the original files. Each
// random tree (diag_tree.h) holds one deliberate error; it is compiled under every combination of
// the macros it tests, the originals through a wrapper that includes the inputs, the joined text
// once with default options (lines compared) and once with -lnff -sif -sg (file names too).
//
// QUILLFOLD_DIAG_TREES=n checks n trees, QUILLFOLD_DIAG_SEED=s starts at seed s (alone: that one
// tree). A mismatching tree is kept with the tool's arguments (args.txt), the joined outputs, the
// compile script and every compiler's diagnostics.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "diag_tree.h"
#include "test_tree.h"

namespace fs = std::filesystem;

namespace {

// About 60 ms a tree on two cores.
constexpr std::uint32_t kDefaultTrees = 120;

std::uint32_t Env_Number(const char* name, std::uint32_t fallback) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return fallback;
    return static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
}

bool Shell(const std::string& command) {
    return std::system(("LC_ALL=C " + command).c_str()) == 0;
}

// "name:line" of the first error in gcc's diagnostics, the file's folders and any '\' dropped;
// "none" when there is none.
std::string First_Error(const std::string& diagnostics) {
    static const std::regex place(R"(^(?:.*[/\\])?([^/\\]*?):(\d+):(?:\d+:)? (?:fatal )?error:)");
    std::istringstream lines(diagnostics);
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_search(line, match, place)) return match.str(1) + ":" + match.str(2);
        if (line.find("error:") != std::string::npos) return line;
    }
    return "none";
}

std::string Line_Of(const std::string& place) {
    const std::size_t colon = place.rfind(':');
    return colon == std::string::npos ? place : place.substr(colon + 1);
}

class DiagCheck : public TreeTest {
  protected:
    void SetUp() override {
        TreeTest::SetUp();
#ifdef _WIN32
        GTEST_SKIP() << "g++ is run through a POSIX shell";
#else
        if (!Shell("command -v g++ >/dev/null 2>&1")) GTEST_SKIP() << "g++ is not installed";
#endif
    }
    void Check_Tree(std::uint32_t seed);
};

void DiagCheck::Check_Tree(std::uint32_t seed) {
    const DiagTree tree = Generate_Diag_Tree(seed);
    const std::string trees_root = root_;
    root_ = (fs::path(trees_root) / ("tree-" + std::to_string(seed))).string();
    for (const std::string& folder : tree.folders) fs::create_directories(fs::path(root_) / folder);
    fs::current_path(root_);
    for (const TreeFile& file : tree.files) Write(file.first, file.second);
    for (const auto& link : tree.links) fs::create_symlink(link.second, link.first);
    std::string wrapper;
    std::vector<std::string> inputs;
    for (const std::string& input : tree.inputs) {
        wrapper += "#include \"" + input + "\"\n";
        inputs.insert(inputs.end(), {"-i", input});
    }
    Write("diag_wrapper.cpp", wrapper);

    const std::vector<std::string> variants[] = {{}, {"-lnff", "-sif", "-sg"}};
    const char* const names[] = {"default", "lnff"};
    std::string problems, arguments;
    bool joined[2];
    for (int v = 0; v < 2; ++v) {
        std::vector<std::string> args = inputs;
        args.insert(args.end(), {"-I", "inc"});
        args.insert(args.end(), variants[v].begin(), variants[v].end());
        args.insert(args.end(), {"-o", std::string("out_") + names[v] + ".cpp"});
        for (const std::string& arg : args) arguments += arg + " ";
        arguments += "\n";
        const RunResult run = Run_Tool(args);
        joined[v] = run.status == 0;
        if (!joined[v]) problems += std::string("tool failed (") + names[v] + "): " + run.err;
    }
    Write("args.txt", arguments);

    // All compilations at once, in the background; one shell for the tree.
    const std::string gcc = "g++ -fsyntax-only -std=c++17 -x c++";
    std::string script;
    std::vector<std::string> labels;
    for (unsigned mask = 0; mask < 1u << tree.macros.size(); ++mask) {
        std::string defines, label;
        for (std::size_t m = 0; m < tree.macros.size(); ++m) {
            if ((mask >> m & 1u) == 0) continue;
            defines += std::string(" -D") + tree.macros[m];
            label += tree.macros[m];
        }
        labels.push_back(label.empty() ? "none" : label);
        const std::string to = "_" + labels.back() + ".txt 2>&1 &\n";
        script += gcc + " -iquote . -I inc" + defines + " diag_wrapper.cpp >orig" + to;
        for (const char* name : names) {
            script += gcc + defines + " out_" + name + ".cpp >" + name + to;
        }
    }
    Write("compile.sh", script + "wait\n");
    Shell("sh compile.sh");
    for (const std::string& label : labels) {
        const std::string original = First_Error(Read("orig_" + label + ".txt"));
        const std::string by_line = First_Error(Read("default_" + label + ".txt"));
        const std::string named = First_Error(Read("lnff_" + label + ".txt"));
        const std::string with = "with " + label + ": original " + original;
        if (joined[0] && Line_Of(by_line) != Line_Of(original)) {
            problems += with + ", default options " + by_line + "\n";
        }
        if (joined[1] && named != original) problems += with + ", -lnff -sif -sg " + named + "\n";
    }

    fs::current_path(trees_root);
    if (problems.empty()) {
        fs::remove_all(root_);
    } else {
        Write("mismatches.txt", problems);
        ADD_FAILURE() << "seed " << seed << ", kept in " << root_ << "\n" << problems;
    }
    root_ = trees_root;
}

TEST_F(DiagCheck, JoinedTextKeepsTheFirstErrorWhereTheOriginalsHaveIt) {
    const bool one_seed = std::getenv("QUILLFOLD_DIAG_SEED") != nullptr;
    const std::uint32_t first = Env_Number("QUILLFOLD_DIAG_SEED", 1);
    const std::uint32_t count = Env_Number("QUILLFOLD_DIAG_TREES", one_seed ? 1 : kDefaultTrees);
    std::printf("diagnostics check: seeds %u to %u\n", first, first + count - 1);
    for (std::uint32_t seed = first; seed - first < count; ++seed) Check_Tree(seed);
}

}  // namespace
