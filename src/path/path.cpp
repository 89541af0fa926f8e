#include "path/path.h"

#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>
#include <string_view>
#include <type_traits>
#include <vector>

#include "path/entry_kind.h"
#include "path/path_chars.h"

namespace {

CurrentDirectoryAnswer No_Current_Directory(char*, std::size_t) {
    return CurrentDirectoryAnswer::failed;
}

constexpr CurrentDirectoryQuery Native_Query_For(bool native) {
    return native ? &Query_Current_Directory : &No_Current_Directory;
}

/// Runs `work`, turning running out of memory (or a length the string type cannot hold) into
/// false, so that no exception leaves a path operation.
template <typename Work>
bool Guarded(Work&& work) noexcept {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

/// "\\?\" or "\\.\" (either separator) at the start of `path`.
bool Starts_With_Device_Prefix(std::string_view path) {
    return path.size() >= 4 && Is_Path_Separator(path[0]) && Is_Path_Separator(path[1]) &&
           (path[2] == '?' || path[2] == '.') && Is_Path_Separator(path[3]);
}

/// Makes room in `text` for a result of `kept` + `added` characters, refusing a length the
/// string cannot hold.
bool Reserve(std::string& text, std::size_t kept, std::size_t added) {
    if (added > text.max_size() - kept) return false;
    text.reserve(kept + added);
    return true;
}

bool Assign(std::string& out, std::string_view text) {
    if (!Reserve(out, 0, text.size())) return false;
    out.assign(text.data(), text.size());
    return true;
}

/// True when `p` points into `text`'s characters, its terminating NUL included.
bool Points_Into(const std::string& text, const char* p) {
    const std::less_equal<const char*> before_or_at;
    return before_or_at(text.data(), p) && before_or_at(p, text.data() + text.size());
}

template <typename Syntax>
bool Is_Absolute_View(std::string_view path) {
    if constexpr (Syntax::kDrives) {
        if (path.size() >= 2 && Is_Path_Separator(path[0]) && Is_Path_Separator(path[1]))
            return true;
        return path.size() >= 3 && Is_Ascii_Letter(path[0]) && path[1] == ':' &&
               Is_Path_Separator(path[2]);
    } else {
        return !path.empty() && path[0] == '/';
    }
}

/// out already holds the directory; adds a separator where it does not end in one, then
/// `relative`, which must not lie in `out`.
template <typename Syntax>
bool Append_Relative(std::string& out, std::string_view relative) {
    const bool separator = out.empty() || !Is_Path_Separator(out.back());
    if (separator && !Reserve(out, out.size(), 1)) return false;
    if (!Reserve(out, out.size() + (separator ? 1 : 0), relative.size())) return false;
    if (separator) out += Syntax::kSeparator;
    out.append(relative.data(), relative.size());
    return true;
}

/// Takes off the \\?\ and \\.\ forms that only say "no further parsing" and leave an ordinary
/// path behind; returns the prefix kind ('?' or '.') that stays in front, or 0.
char Strip_Windows_Prefixes(std::string_view& path) {
    if (path.size() >= 6 && Is_Ascii_Letter(path[4]) && path[5] == ':' &&
        Starts_With_Device_Prefix(path)) {
        path.remove_prefix(4);  // \\?\C:\x is C:\x
    }
    if (path.size() >= 11 && Starts_With_Device_Prefix(path) && path[2] == '?' &&
        path.substr(4, 3) == "UNC" && Is_Path_Separator(path[7])) {
        if (Is_Ascii_Letter(path[8]) && path[9] == ':' && Is_Path_Separator(path[10])) {
            path.remove_prefix(8);
        } else if (Is_Path_Separator(path[8])) {
            path.remove_prefix(7);  // leaves the two separators of a server path
        }
    }
    if (!Starts_With_Device_Prefix(path)) return 0;
    const char kind = path[2];
    path.remove_prefix(4);
    return kind;
}

template <typename Syntax>
bool Normalize_Into(std::string& result, std::string_view path) {
    char prefix_kind = 0;
    if constexpr (Syntax::kDrives) prefix_kind = Strip_Windows_Prefixes(path);

    std::vector<std::string_view> components;
    for (std::size_t begin = 0;;) {
        std::size_t end = begin;
        while (end < path.size() && !Is_Path_Separator(path[end])) ++end;
        components.push_back(path.substr(begin, end - begin));
        if (end == path.size()) break;
        begin = end + 1;
    }

    // The root is the head that no ".." may take away.
    std::string_view root;
    std::string_view server;
    std::size_t first = 0;
    if constexpr (Syntax::kDrives) {
        if (components.size() >= 3 && components[0].empty() && components[1].empty() &&
            !components[2].empty()) {
            server = components[2];
            first = 3;
        } else if (components[0].size() == 2 && Is_Ascii_Letter(components[0][0]) &&
                   components[0][1] == ':') {
            root = components[0];
            first = 1;
        }
    } else {
        if (!path.empty() && path[0] == '/') root = "/";
    }

    // Resolving ".." against the component before it works like a stack.
    std::size_t kept = 0;
    for (std::size_t i = first; i < components.size(); ++i) {
        const std::string_view component = components[i];
        if (component.empty() || component == ".") continue;
        if (component == ".." && kept > 0 && components[kept - 1] != "..") {
            --kept;
            continue;
        }
        components[kept++] = component;
    }

    std::size_t length = prefix_kind != 0 ? 4 : 0;
    length += root.size() + (server.empty() ? 0 : 2 + server.size());
    for (std::size_t i = 0; i < kept; ++i) length += components[i].size() + 1;
    if (!Reserve(result, 0, length)) return false;

    if (prefix_kind != 0) {
        result.append(2, Syntax::kSeparator);
        result += prefix_kind;
        result += Syntax::kSeparator;
    }
    if (!server.empty()) {
        result.append(2, Syntax::kSeparator);
        result.append(server.data(), server.size());
    }
    result.append(root.data(), root.size());
    for (std::size_t i = 0; i < kept; ++i) {
        if (!result.empty() && !Is_Path_Separator(result.back())) result += Syntax::kSeparator;
        result.append(components[i].data(), components[i].size());
    }
    return true;
}

// Most paths given to Normalize are in their normal form already; telling so takes one pass and
// no allocation. Paths with drives, servers or prefixes take the long way.
template <typename Syntax>
bool Is_Normal(std::string_view path) {
    if (Syntax::kDrives || path.empty()) return false;
    std::size_t begin = path[0] == Syntax::kSeparator ? 1 : 0;
    if (begin == path.size()) return true;
    for (;;) {
        std::size_t end = begin;
        while (end < path.size() && !Is_Path_Separator(path[end])) ++end;
        const std::string_view component = path.substr(begin, end - begin);
        if (component.empty() || component == "." || component == "..") return false;
        if (end == path.size()) return true;
        if (path[end] != Syntax::kSeparator) return false;
        begin = end + 1;
    }
}

}  // namespace

const CurrentDirectoryQuery WindowsPathSyntax::query_current_directory =
    Native_Query_For(std::is_same_v<NativePathSyntax, WindowsPathSyntax>);
const CurrentDirectoryQuery PosixPathSyntax::query_current_directory =
    Native_Query_For(std::is_same_v<NativePathSyntax, PosixPathSyntax>);

template <typename Syntax>
bool CBasicPath<Syntax>::Is_Absolute(const std::string& path) {
    return Is_Absolute_View<Syntax>(path);
}

template <typename Syntax>
bool CBasicPath<Syntax>::Get_CurrentDirectory(std::string& out, CurrentDirectoryQuery query) {
    return Guarded([&] {
        out.assign(8, '\0');
        for (;;) {
            const CurrentDirectoryAnswer answer = query(&out[0], out.size());
            if (answer == CurrentDirectoryAnswer::done) break;
            // Any other failure would come back the same however large the buffer grew.
            if (answer == CurrentDirectoryAnswer::failed) return false;
            if (out.size() > out.max_size() / 2) return false;
            out.resize(out.size() * 2);
        }
        out.resize(std::strlen(out.c_str()));
        while (!out.empty() && Is_Path_Separator(out.back())) out.pop_back();
        return true;
    });
}

template <typename Syntax>
bool CBasicPath<Syntax>::Join(std::string& out, const std::string& directory,
                              const std::string& relative) {
    return Guarded([&] {
        if (Is_Absolute(relative)) return &out == &relative || Assign(out, relative);
        if (&out == &relative) {
            // Writing the directory into out would overwrite relative before it is read.
            std::string copy;
            return Assign(copy, relative) && Join(out, directory, copy);
        }
        if (&out != &directory && !Assign(out, directory)) return false;
        return Append_Relative<Syntax>(out, relative);
    });
}

template <typename Syntax>
bool CBasicPath<Syntax>::Join(std::string& out, const char* directory, const char* relative) {
    if (directory == nullptr) directory = "";
    if (relative == nullptr) relative = "";
    return Guarded([&] {
        // Either array may lie anywhere in out, up to and including its terminator: relative
        // is set aside and directory moved into place before out is rewritten.
        std::string relative_copy;
        std::string_view relative_text(relative);
        if (Points_Into(out, relative)) {
            if (!Assign(relative_copy, relative_text)) return false;
            relative_text = relative_copy;
        }
        if (Is_Absolute_View<Syntax>(relative_text)) return Assign(out, relative_text);
        if (Points_Into(out, directory)) {
            const std::size_t length = std::strlen(directory);
            out.erase(0, static_cast<std::size_t>(directory - out.data()));
            out.resize(length);
        } else if (!Assign(out, directory)) {
            return false;
        }
        return Append_Relative<Syntax>(out, relative_text);
    });
}

template <typename Syntax>
bool CBasicPath<Syntax>::To_Absolute(std::string& path, CurrentDirectoryQuery query) {
    if (Is_Absolute(path)) return true;
    return Guarded([&] {
        // Built aside, so that a failure leaves path as it was.
        std::string joined;
        if (!Get_CurrentDirectory(joined, query) || !Append_Relative<Syntax>(joined, path)) {
            return false;
        }
        path.swap(joined);
        return true;
    });
}

template <typename Syntax>
bool CBasicPath<Syntax>::To_Absolute(std::string& out, const std::string& path,
                                     CurrentDirectoryQuery query) {
    if (&out != &path && !Guarded([&] { return Assign(out, path); })) return false;
    return To_Absolute(out, query);
}

template <typename Syntax>
bool CBasicPath<Syntax>::Normalize(std::string& path) {
    if (Is_Normal<Syntax>(path)) return true;
    return Guarded([&] {
        std::string result;
        if (!Normalize_Into<Syntax>(result, path)) return false;
        path.swap(result);
        return true;
    });
}

template <typename Syntax>
bool CBasicPath<Syntax>::Get_Path(std::string& out, const std::string& path) {
    const std::size_t last = path.find_last_of("/\\");
    std::size_t end = last == std::string::npos ? 0 : last;
    while (end > 0 && Is_Path_Separator(path[end - 1])) --end;
    if (&out == &path) {
        out.resize(end);
        return true;
    }
    return Guarded([&] { return Assign(out, std::string_view(path).substr(0, end)); });
}

template <typename Syntax>
bool CBasicPath<Syntax>::Get_Filename(std::string& out, const std::string& path) {
    // The name begins after the last separator that something other than separators follows;
    // trailing separators belong to it.
    std::size_t end = path.size();
    while (end > 0 && Is_Path_Separator(path[end - 1])) --end;
    std::size_t begin = end;
    while (begin > 0 && !Is_Path_Separator(path[begin - 1])) --begin;
    if (&out == &path) {
        out.erase(0, begin);
        return true;
    }
    return Guarded([&] { return Assign(out, std::string_view(path).substr(begin)); });
}

template <typename Syntax>
bool CBasicPath<Syntax>::Exists(const std::string& path) {
    return Entry_Kind(path.empty() ? "." : path.c_str()) != EntryKind::none;
}

template <typename Syntax>
bool CBasicPath<Syntax>::Is_File(const std::string& path) {
    return Entry_Kind(path.empty() ? "." : path.c_str()) == EntryKind::file;
}

template class CBasicPath<WindowsPathSyntax>;
template class CBasicPath<PosixPathSyntax>;
