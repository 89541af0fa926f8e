#pragma once

#include "expand/include_frame.h"

struct RunState;

/// "<stdin>": the frame whose path is this very array reads the run's standard input, and
/// messages and line directives name it so.
extern const char kStandardInputName[];

/// Opens the file of `frame`, the top of `state.stack`, for reading, lines no longer than the
/// output may grow, and records it among the files read. False after printing the error: it
/// cannot be opened, or it is the output file; or when the output is over its limit already.
[[nodiscard]] bool Open_Frame_File(RunState& state, IncludeFrame& frame);

/// Prints why a line of `frame` could not be read: the output's size limit for a line longer
/// than it, else a read error.
void Report_Read_Failure(RunState& state, const IncludeFrame& frame);
