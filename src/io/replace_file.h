#pragma once

#include <cstdio>
#include <string>

// Replacing a file in one step, kept at this edge: creating the replacement beside it, giving
// it the permission bits, and renaming it over.

/// How an output is written.
enum class OutputKind {
    replaced,  ///< through a replacement renamed over `target` at the end
    streamed,  ///< as the run goes, straight into the path (a device, a FIFO)
};

/// Whether `path` is a regular file, a link to one or nothing yet (replaced), or anything else
/// (streamed). For a replaced one, `target` receives the file to replace: `path`, or the file a
/// symbolic link leads to, so that the link stays.
OutputKind Output_Kind(const char* path, std::string& target);

/// Creates a new file beside `target`, named ".<name>.quillfold-<random>", open for writing in
/// text mode, with the permission bits of `target` or, where it does not exist, those a new
/// file gets; `temporary` receives its path. Null on failure; the caller prints the error.
FILE* Create_Replacement(const std::string& target, std::string& temporary);

/// Renames `temporary` over `target` in one step. False on failure; the caller prints the error.
[[nodiscard]] bool Replace_File(const char* temporary, const char* target);
