#pragma once

// The bytes that path rules look at, read alike on every platform: both separators, and the
// ASCII letters, the only bytes that letter-case folding is taken to touch.

/// '/' or '\': either separates the components of a path wherever a path is read.
constexpr bool Is_Path_Separator(char c) {
    return c == '/' || c == '\\';
}

/// 'A' to 'Z' or 'a' to 'z'.
constexpr bool Is_Ascii_Letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

/// `c` with an ASCII capital made small; every other byte as it is.
constexpr char Ascii_Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

/// `c` with an ASCII small letter made capital; every other byte as it is.
constexpr char Ascii_Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
