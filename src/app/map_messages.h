#pragma once

#include <cstdio>

#include "io/diagnostics.h"

/// Reads the line map at `map_path`, then copies compiler messages from `in` to `out` line by
/// line, each place they give in the joined text (`<file>:<line>:<column>:`, `<file>:<line>:`,
/// `<file>(<line>):` or `<file>(<line>,<column>):`, the file named as the map names the output,
/// with or without its folder) given as the file and line it comes from. Everything else passes
/// as it is. The exit status: 0, or -1 after printing the error.
int Map_Messages(const char* map_path, FILE* in, FILE* out, Diagnostics& diagnostics);
