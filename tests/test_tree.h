#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#if defined(_WIN32)
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

/// `text` as the tool writes it to a file, in the platform's text mode.
std::string As_Written(const std::string& text);

/// What one in-process run of the tool gave.
struct RunResult {
    int status = 0;
    std::string out;  ///< standard output (verbose messages)
    std::string err;  ///< standard error
};

/// A file of a test tree: its path relative to the tree's root, with '/' separators, and its
/// bytes.
using TreeFile = std::pair<std::string, std::string>;

/// While it lives, runs of the tool ask the file system for every include candidate rather
/// than look it up in a listing of its folder.
class ProbingOnly {
  public:
    ProbingOnly();
    ~ProbingOnly();
};

/// One end-to-end case: a small file tree, the arguments, and what the run must give. In file
/// contents, arguments and expected texts these placeholders are replaced: "{root}" by the
/// tree's absolute root, "{slashed root}" by the same with '/' separators (as #line directives
/// show a path), "{/}" by the native separator, "{date}" by the build date the banner shows, and
/// then "{hash <path>}" by the include-once key of the path: its SHA-1 in upper-case hex, taken
/// lowercased where file names ignore case.
struct TreeCase {
    std::string name;
    std::vector<TreeFile> files;
    std::vector<std::string> args;
    std::string output;  ///< out.txt, with "\n" line ends
    std::string err;
    int status = 0;
    std::string out;       ///< standard output; compared only when not empty
    std::string platform;  ///< "windows", "posix" or "linux"; empty: everywhere
    int line = 0;          ///< where a case file has it
    std::string error;     ///< set when the case could not be read
};

/// A fixture that runs each test in a fresh temporary folder, made the current directory.
/// The folder is removed after a passing test and kept, with its path printed, after a
/// failing one.
class TreeTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    /// Writes `bytes` to `relative` under the root, creating folders on the way.
    void Write(const std::string& relative, const std::string& bytes);
    /// The bytes of `relative` under the root; empty when it cannot be read.
    std::string Read(const std::string& relative) const;
    /// Runs the tool in-process with `args` (the program name is added in front).
    RunResult Run_Tool(const std::vector<std::string>& args) const;
    /// Replaces the placeholders of TreeCase in `text`.
    std::string Expand(const std::string& text) const;
    /// Writes the case's files, runs it and checks status, output file, standard error and,
    /// when given, standard output.
    void Check(const TreeCase& c);

    std::string root_;

  private:
    std::string previous_directory_;
};
