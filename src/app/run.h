#pragma once

#include <cstdio>

#include "io/diagnostics.h"

/// The whole program: parses the command line, joins the inputs into the output and returns the
/// exit status (0 on success and after help, -1 on any failure). Verbose messages go to `out`,
/// the usage text, errors and warnings to `err`.
int Run(int argc, const char* const* argv, FILE* out, FILE* err);

/// The banner printed first in verbose mode, ending in an empty line.
void Print_Banner(Diagnostics& diagnostics);
