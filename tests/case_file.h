#pragma once

#include <string>
#include <vector>

#include "test_tree.h"

/// Reads the end-to-end cases of a case file. A case starts with "### <name>", then "args:" with
/// the arguments (split at spaces; "{root}" and "{/}" expand as in TreeCase) and optionally
/// "status:"; then sections, each running to the next header: "--- <path>" a file of the tree,
/// "=== output", "=== stderr" and "=== stdout" what the run must give. Every section line ends
/// with a line feed; a header may add "[no-eol]" (no line feed after the last line) and
/// "[escaped]" (\\, \t, \r and \xNN decoded). One blank line separates two cases. Lines outside
/// sections that start with "//" are comments. A malformed file fails the calling test.
std::vector<TreeCase> Read_Case_File(const std::string& path);
