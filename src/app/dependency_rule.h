#pragma once

#include <string>
#include <vector>

#include "expand/read_files.h"

/// The make rule that a compiler's -MD writes, in `rule`: `targets` as they are given or, where
/// there are none, `output` escaped, depending on each of `files`, escaped; lines are continued
/// with " \" past 72 columns. With `phony`, an empty rule follows for each file that is not an
/// input, so that make does not stop at a header that is gone. Escaped as GNU make reads names:
/// a space or tab after a backslash, the backslashes before it doubled; "$" as "$$", "#" as "\#".
void Make_Dependency_Rule(const std::vector<const char*>& targets, const char* output,
                          const std::vector<ReadFiles::Entry>& files, bool phony,
                          std::string& rule);
