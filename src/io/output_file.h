#pragma once

#include <cstdio>
#include <string>

#include "io/signal_cleanup.h"

/// Where a file the run writes goes. A regular file, or one that is not there yet, is written to
/// a temporary beside it that takes its place only on `Commit`: until then, and after any
/// failure or interrupt, the file stays exactly as it was. Anything else (a device, a FIFO,
/// standard output) is written as the run goes.
class OutputFile {
  public:
    /// `cleanup` removes the temporary on an interrupt; it must outlive this.
    explicit OutputFile(SignalCleanup& cleanup) : cleanup_(cleanup) {}
    /// Removes the temporary, unless it was committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Opens the stream for `path` in text mode; "-" names `standard_output`, which is then
    /// returned as it is, to be borrowed. Null on failure; the caller prints the error.
    FILE* Open(const char* path, FILE* standard_output);
    /// Whether the stream is borrowed (standard output) rather than owned by whoever writes.
    bool Borrowed() const { return borrowed_; }
    /// Puts the written temporary, its stream closed by now, in the file's place; for anything
    /// else there is nothing to do. False when the rename fails; the caller prints the error.
    [[nodiscard]] bool Commit();

  private:
    void Discard();

    SignalCleanup& cleanup_;
    std::string target_;
    std::string temporary_;  ///< empty where nothing is to be renamed or removed
    bool borrowed_ = false;
};
