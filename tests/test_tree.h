#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#if defined(_WIN32)
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

/// The bytes of a temporary stream, read from its start; the stream is closed.
std::string Read_Stream(FILE* file);

/// What one in-process run of the tool gave.
struct RunResult {
    int status = 0;
    std::string out;  ///< standard output
    std::string err;  ///< standard error
};

/// A fixture that runs each test in a fresh temporary folder, made the current directory. The
/// folder is removed after a passing test and kept, with its path printed, after a failing one.
class TreeTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    /// Writes `bytes` to `relative` under the root, creating folders on the way.
    void Write(const std::string& relative, const std::string& bytes);
    /// The bytes of `relative` under the root; empty when it cannot be read.
    std::string Read(const std::string& relative) const;
    /// Runs the tool in-process with `args` (the program name is added in front), `input` on
    /// its standard input.
    RunResult Run_Tool(const std::vector<std::string>& args, const std::string& input = "") const;

    std::string root_;
    /// Every include candidate is asked of the file system (see Run).
    bool probing_ = false;

  private:
    std::string previous_directory_;
};
