#pragma once

#include "expand/options.h"
#include "io/diagnostics.h"

enum class ParseOutcome {
    proceed,       ///< the options are filled; run
    stop_success,  ///< help was printed; exit with 0
    show_version,  ///< --version was given; the caller prints the version and exits with 0
    stop_failure,  ///< usage or an argument error was printed; exit with -1
};

/// The usage text, every line ending in a line feed.
extern const char kUsageText[];

/// Parses argv[1..argc-1] into `options`. Prints the usage text or the one-line argument error
/// itself, through `diagnostics`; prints nothing else and opens no file.
ParseOutcome Parse_Options(int argc, const char* const* argv, Options& options,
                           Diagnostics& diagnostics);
