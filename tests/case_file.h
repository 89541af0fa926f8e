#pragma once

// A case file (tests/cases/*.cases) holds end-to-end cases, each run as a test of its own named
// after the file and the case:
//
//   // a comment, outside sections
//   ### name of the case
//   args: -i a.cl -o out.txt    the arguments, split at spaces
//   status: -1                  the exit status (default 0)
//   platform: posix             where the case runs: windows, posix or linux (default all)
//   --- sub/a.cl                a file of the tree: the lines up to the next header
//   === output                  out.txt as the run must leave it
//   === stderr                  standard error (compared, also when not given)
//   === stdout                  standard output (compared only when given)
//   +++ name of a variant       another run over the same tree, with its own args, status,
//                               platform, files and sections; where it gives none, the case's
//                               hold. A case with variants runs only its variants.
//
// Every section line ends with a line feed; a header may add " [no-eol]" (no line feed after
// the last line) and " [escaped]" (\\, \t, \r and \xNN decoded). A blank line before the next
// "###" or "+++" belongs to no section. The placeholders of TreeCase are expanded everywhere.

#include <string>
#include <vector>

#include "test_tree.h"

/// The cases of a case file, variants flattened. A file that cannot be read gives one case whose
/// `error` says why.
std::vector<TreeCase> Read_Case_File(const std::string& path);
