#pragma once

#include <cstdio>

#include "io/diagnostics.h"

/// The whole program: parses the command line, joins the inputs into the output and returns the
/// exit status: 0 on success and after help or the version, 1 when --check finds the output out
/// of date, -1 on any other failure. An input "-" reads `in`, an output "-" writes `out`, which
/// the run leaves open. The version and verbose messages go to `out` (verbose ones to `err`
/// where the output is `out`); the usage text, errors and warnings to `err`.
/// With `probe_includes`, every include candidate is asked of the file system rather than looked
/// up in a listing of its folder; the answers are the same, and the switch is there to show it.
int Run(int argc, const char* const* argv, FILE* in, FILE* out, FILE* err,
        bool probe_includes = false);

/// The banner printed first in verbose mode, ending in an empty line.
void Print_Banner(Diagnostics& diagnostics);
