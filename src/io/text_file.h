#pragma once

#include <cstdio>

// The platform's text mode, kept at this edge: everything else reads and writes line feeds.

/// Opens `path` for reading in text mode. Null when it cannot be opened or names a directory.
/// The caller prints the error.
FILE* Open_Text_For_Reading(const char* path);

/// Creates or truncates `path` for writing in text mode. Null on failure; the caller prints
/// the error.
FILE* Open_Text_For_Writing(const char* path);

/// True where the runtime does not fold a carriage return and line feed pair into a line feed
/// itself, so the line reader must.
extern const bool kReaderFoldsCarriageReturns;
