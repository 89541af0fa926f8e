#pragma once

#include <cstdint>
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

/// Sets `temporary` to a candidate path for the replacement of `target`:
/// ".<name>.quillfold-<8 hex digits>" in the same folder, the digits drawn from `state`, which
/// moves on, so that a taken name is followed by another. `separators` are the characters that
/// end a folder name on this platform.
void Replacement_Path(const std::string& target, const char* separators, std::uint64_t& state,
                      std::string& temporary);
