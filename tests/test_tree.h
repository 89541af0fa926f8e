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

/// The line end in files the tool writes: its output is written in the platform's text mode.
constexpr const char* kOutputLineEnd = kWindows ? "\r\n" : "\n";

/// `text` as the tool writes it to a file: every line feed turned into kOutputLineEnd.
std::string As_Written(const std::string& text);

/// The include-once guard key of the absolute path `path`: lowercased where file names ignore
/// case (Windows), as it is.
std::string Guard_Key(const std::string& path);

/// What one in-process run of the tool gave.
struct RunResult {
    int status = 0;
    std::string out;  ///< standard output (verbose messages)
    std::string err;  ///< standard error
};

/// A file of a test tree: its path relative to the tree's root, with '/' separators, and its
/// bytes.
using TreeFile = std::pair<std::string, std::string>;

/// One end-to-end case: a small file tree, the arguments, and what the run must give. In file
/// contents, arguments and expected texts "{root}" stands for the case's absolute root folder,
/// "{slashed root}" for the same with '/' separators (as #line directives show a path), and "{/}"
/// for the native separator, so resolved paths can be written down.
struct TreeCase {
    std::string name;
    std::vector<TreeFile> files;
    std::vector<std::string> args;
    std::string output;  ///< out.txt, the output the arguments name, with "\n" line ends
    std::string err;
    int status = 0;
    std::string out;  ///< standard output; compared only when not empty
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
    bool Exists(const std::string& relative) const;
    /// Runs the tool in-process with `args` (the program name is added in front).
    RunResult Run_Tool(const std::vector<std::string>& args) const;
    /// Replaces "{root}", "{slashed root}" and "{/}" in `text`.
    std::string Expand(const std::string& text) const;
    /// Writes the case's files into a folder of its own, made the current directory and the
    /// "{root}" of its texts, runs it and checks status, output file, standard error and, when
    /// given, standard output. The output file is compared after As_Written.
    void Check(const TreeCase& c);

    std::string root_;

private:
    std::string previous_directory_;
    int cases_checked_ = 0;
};

/// The bytes of a file outside any tree; empty when it cannot be read.
std::string Read_File(const std::string& path);
