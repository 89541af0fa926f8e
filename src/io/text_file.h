#pragma once

#include <cstddef>
#include <cstdio>

#include "path/file_identity.h"

// The platform's text mode, kept at this edge: everything else reads and writes line feeds.

/// Opens `path` for reading in text mode. Null when it cannot be opened or names a directory.
/// When `identity` is given it receives the opened file's identity, asked in the same breath
/// as the directory test. The caller prints the error.
FILE* Open_Text_For_Reading(const char* path, FileIdentity* identity = nullptr);

/// Reads up to `size` bytes of `file` in text mode into `buffer` and returns how many arrived;
/// 0 at the end of the file and on a read error, which sets `failed`. A regular file gives
/// fewer than `size` bytes only when its end was reached.
std::size_t Read_Text(FILE* file, char* buffer, std::size_t size, bool& failed);

/// Sets `file`, opened by Open_Text_For_Reading, back to its start, with its end-of-file and
/// error indicators cleared. False when it cannot be.
[[nodiscard]] bool Rewind_Text(FILE* file);

/// Creates or truncates `path` for writing in text mode. Null on failure; the caller prints
/// the error.
FILE* Open_Text_For_Writing(const char* path);

/// A run of bytes to be written.
struct TextPiece {
    const char* data;
    std::size_t size;
};

/// Writes the pieces to `file`, an unbuffered stream or one that holds no buffered bytes, one
/// after the other in text mode, in as few system calls as the platform allows. False when a
/// write fails.
[[nodiscard]] bool Write_Text_Pieces(FILE* file, const TextPiece* pieces, std::size_t count);

/// Opens `path` to be compared with text by Matches_Text. Null when it cannot be opened.
FILE* Open_For_Comparing(const char* path);

/// Reads on in `file`, opened by Open_For_Comparing, and tells whether the bytes there are
/// those that writing `data` in text mode would have put there.
bool Matches_Text(FILE* file, const char* data, std::size_t size);

/// True when `file`, opened by Open_For_Comparing, holds no byte more.
bool Text_Ended(FILE* file);
