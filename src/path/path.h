#pragma once

#include <cstddef>
#include <string>

// Path operations, written once over a small syntax policy so that both the Windows rules
// (drive letters, \\?\ and \\.\ prefixes, server roots) and the POSIX rules are built and tested
// on every platform. CPath is the native one.

/// How one ask for the current directory ended.
enum class CurrentDirectoryAnswer {
    done,       ///< the buffer holds the directory, NUL-terminated
    too_small,  ///< the directory does not fit; ask again with a larger buffer
    failed,     ///< there is no answer to be had (for example, the directory was removed)
};

/// Asks the platform (getcwd, _getcwd) for the process's current directory, written into
/// `buffer` of `size` characters including the terminating NUL.
CurrentDirectoryAnswer Query_Current_Directory(char* buffer, std::size_t size);

/// A query shaped like Query_Current_Directory.
using CurrentDirectoryQuery = CurrentDirectoryAnswer (*)(char* buffer, std::size_t size);

/// Windows syntax: '/' and '\' read, '\' written; absolute with two leading separators or a
/// drive letter, ':' and a separator; drive and server roots, \\?\ and \\.\ prefixes.
struct WindowsPathSyntax {
    static constexpr char kSeparator = '\\';  ///< the separator written
    static constexpr bool kDrives = true;     ///< drive and server roots, \\?\ and \\.\ prefixes
    /// Where the current directory comes from unless a caller says otherwise: the platform in
    /// the Windows build, elsewhere a query that always fails.
    static const CurrentDirectoryQuery query_current_directory;
};

/// POSIX syntax: '/' and '\' read, '/' written; absolute with a leading '/', which is also the
/// only root.
struct PosixPathSyntax {
    static constexpr char kSeparator = '/';  ///< the separator written
    static constexpr bool kDrives = false;   ///< the only root is a leading '/'
    /// Where the current directory comes from unless a caller says otherwise: the platform in
    /// the POSIX build, elsewhere a query that always fails.
    static const CurrentDirectoryQuery query_current_directory;
};

// Every operation that can fail reports it by its result, never by an exception: running out
// of memory gives false. An output may be the very same string as an input; the result is then
// what it would be for a separate copy. After false an output holds no defined value, and an
// input that is not also the output is left as it was.
template <typename Syntax>
class CBasicPath {
  public:
    /// True when `path` is absolute under this syntax.
    static bool Is_Absolute(const std::string& path);
    /// The process's current directory, as `query` tells it, without trailing separators (so a
    /// root gives "C:" or the empty string). False when it cannot be obtained.
    [[nodiscard]] static bool Get_CurrentDirectory(
        std::string& out, CurrentDirectoryQuery query = Syntax::query_current_directory);
    /// out = relative when it is absolute, else directory + a separator where needed + relative.
    /// `out` may be the same string as either input.
    [[nodiscard]] static bool Join(std::string& out, const std::string& directory,
                                   const std::string& relative);
    /// The same for character arrays, which may point anywhere into `out`; null reads as empty.
    [[nodiscard]] static bool Join(std::string& out, const char* directory, const char* relative);
    /// Makes `path` absolute against the current directory (as `query` tells it), in place; an
    /// absolute path is left as it is (not normalized).
    [[nodiscard]] static bool To_Absolute(
        std::string& path, CurrentDirectoryQuery query = Syntax::query_current_directory);
    /// The same into `out`, which may be `path`.
    [[nodiscard]] static bool To_Absolute(
        std::string& out, const std::string& path,
        CurrentDirectoryQuery query = Syntax::query_current_directory);
    /// The canonical form of `path`, in place: separators written natively, empty and "."
    /// components dropped, ".." resolved where it can be, no trailing separator. `path` is left
    /// as it was on false.
    [[nodiscard]] static bool Normalize(std::string& path);
    /// The directory part, without trailing separators. `out` may be `path`.
    [[nodiscard]] static bool Get_Path(std::string& out, const std::string& path);
    /// The file-name part. `out` may be `path`.
    [[nodiscard]] static bool Get_Filename(std::string& out, const std::string& path);
    /// True when the file system reports an entry under `path`.
    static bool Exists(const std::string& path);
    /// True when the file system reports an entry under `path` that is not a folder: what an
    /// include may name.
    static bool Is_File(const std::string& path);
};

#if defined(_WIN32)
using NativePathSyntax = WindowsPathSyntax;
/// Guard keys ignore letter case where the file systems do.
constexpr bool kFileNamesIgnoreCase = true;
#else
using NativePathSyntax = PosixPathSyntax;
constexpr bool kFileNamesIgnoreCase = false;
#endif

using CPath = CBasicPath<NativePathSyntax>;
