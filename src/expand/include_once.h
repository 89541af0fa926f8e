#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "expand/include_frame.h"
#include "expand/options.h"
#include "io/diagnostics.h"
#include "io/output_stream.h"

/// What the run knows of a file that may take effect only once for the compiler.
struct OnceRecord {
    /// The file's guard key, the record's own key in the table.
    const std::string* key = nullptr;
    /// The macro that stands for the file's #pragma once; empty until one is met.
    std::string pragma_guard;
    /// A #pragma once of the file was outside every conditional block of an expansion that is
    /// compiled for sure: the compiler drops every later inclusion.
    bool pragma_proven = false;
    /// Whether the file's text has been seen whole for an include guard.
    bool shape_known = false;
    /// The include guard that wraps the whole file; empty when it has none.
    std::string guard_macro;
    /// An expansion with that guard is compiled for sure: later ones are dropped while the macro
    /// is not undefined.
    bool guard_proven = false;
};

/// The guard names issued in a run and the name issued for each guard key, and what is known of
/// the files met. Shared by all inputs.
struct GuardTable {
    std::set<std::string> names;
    std::map<std::string, const std::string*> by_key;
    /// By guard key; the records stay where they are while the table grows.
    std::map<std::string, OnceRecord> files;
    /// Every macro an #undef, and every macro a #define, has named so far (with -sg).
    std::set<std::string, std::less<>> undefined;
    std::set<std::string, std::less<>> defined;
};

/// The key that tells files apart in `table`: `path` made absolute, with '/' for every
/// separator, in lower case where file names ignore case; standard input's is its name. False
/// when it cannot be made absolute; the caller prints the error.
[[nodiscard]] bool Guard_Key(const char* path, std::string& key);

/// A macro name of the run's own for the file with guard `key`: `tag`, the file's name and the
/// SHA-1 of `key` as the output shows it (`map`). Unique in `guards`; a collision is warned about.
const std::string& Issue_Guard_Name(GuardTable& guards, const std::string& key, const char* tag,
                                    const PathPrefixMap& map, Diagnostics& diagnostics);

/// The verbose line for `frame`, opened at stack depth `depth`: `verb` ("recursing to" or
/// "skipping"), the name it is shown by and the path it resolved to, indented four spaces for
/// each level below the input. Nothing for an input, which the run announces itself.
void Report_Include(Diagnostics& diagnostics, const char* verb, const IncludeFrame& frame,
                    std::size_t depth);

enum class OnceResult {
    guarded,  ///< first expansion: the guard block was written
    skipped,  ///< seen before: the check lines were written; the caller drops the frame
    failed,   ///< the error was printed; the run ends
};

/// Where include-once writes and reports.
struct OnceContext {
    GuardTable& guards;
    OutputStream& output;
    Diagnostics& diagnostics;
    std::string& scratch;
    const PathPrefixMap& map;
};

/// Applies include-once to `frame`, with guard `key`, just opened at stack depth `depth`: writes
/// the guard block of a file met for the first time, or the check lines of one met before.
[[nodiscard]] OnceResult Apply_Include_Once(const IncludeFrame& frame, const std::string& key,
                                            std::size_t depth, OnceContext context);
