#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

#if defined(__GNUC__)
#define QUILLFOLD_PRINTF(at, first) __attribute__((format(printf, at, first)))
#else
#define QUILLFOLD_PRINTF(at, first)
#endif

/// The console of a run: verbose reports on one stream, the usage text, errors and warnings on
/// the other. Every message is one line; a message about a place in a file names it as
/// "'<file>' line <n>: ". Once an error is printed the run is over, so nothing is printed after it.
class Diagnostics {
  public:
    /// Reports go to `out`, everything else to `err`.
    Diagnostics(FILE* out, FILE* err) : out_(out), err_(err) {}
    Diagnostics(const Diagnostics&) = delete;
    Diagnostics& operator=(const Diagnostics&) = delete;

    /// With `verbose`, Report prints; reports go to `out` (which may be the error stream, so
    /// that a joined text written to standard output stays clean).
    void Set_Verbose(bool verbose, FILE* out) {
        verbose_ = verbose;
        out_ = out;
    }
    bool Verbose() const { return verbose_; }
    /// With `quiet`, warnings and reports are not printed, errors still are: for a run made
    /// again only to learn what it needs.
    void Set_Quiet(bool quiet) { quiet_ = quiet; }

    /// "error: " and the formatted text, as one line.
    void Error(const char* format, ...) QUILLFOLD_PRINTF(2, 3);
    /// "error: '<file>' line <line>: " and the formatted text.
    void Error_At(const char* file, unsigned line, const char* format, ...) QUILLFOLD_PRINTF(4, 5);
    /// "warning: " and the formatted text.
    void Warning(const char* format, ...) QUILLFOLD_PRINTF(2, 3);
    /// "warning: '<file>' line <line>: " and the formatted text.
    void Warning_At(const char* file, unsigned line, const char* format, ...)
        QUILLFOLD_PRINTF(4, 5);
    /// In verbose mode and before any error, the formatted text indented by four spaces for each
    /// `level`.
    void Report(unsigned level, const char* format, ...) QUILLFOLD_PRINTF(3, 4);
    /// Text printed as it is on the error stream (the usage text).
    void Print_Raw(const char* text);
    /// Text printed as it is where reports go, in verbose mode or not.
    void Print_Report(const std::string& text);

    /// True once an error was printed.
    bool Failed() const { return failed_; }

  private:
    void Message(const char* kind, const char* file, unsigned line, const char* format,
                 va_list arguments);

    FILE* out_;
    FILE* err_;
    bool verbose_ = false;
    bool quiet_ = false;
    bool failed_ = false;
};
