#pragma once

#include <cstddef>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "expand/include_frame.h"
#include "io/output_stream.h"

/// The guard names issued in a run and the name issued for each guard key. Shared by all inputs.
struct GuardTable {
    std::set<std::string> names;
    std::map<std::string, const std::string*> by_key;
};

enum class OnceResult {
    guarded,  ///< first expansion: the guard block was written
    skipped,  ///< seen before: the check lines were written; the caller drops the frame
    failed,   ///< the error was printed; the run ends
};

/// Where include-once writes and reports.
struct OnceContext {
    GuardTable& guards;
    OutputStream& output;
    FILE* console_out;  ///< the verbose messages, or null for none
    FILE* console_err;
    std::string& scratch;
};

/// Applies include-once to `frame`, just opened at stack depth `depth`: writes the guard block
/// of a file met for the first time, or the check lines of one met before.
[[nodiscard]] OnceResult Apply_Include_Once(const IncludeFrame& frame, std::size_t depth,
                                            OnceContext context);
