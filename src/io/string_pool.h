#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

/// Store of strings whose addresses stay fixed until the pool is destroyed. Strings added with
/// `Add` are the caller's to change once; strings added with `Intern` are kept once per text,
/// so that a run that names the same file again and again holds its name once.
class StringPool {
  public:
    /// Appends a copy of `text`. The caller may change the stored copy once, right away, and
    /// take pointers to its characters after that. Throws std::bad_alloc when memory runs out.
    std::string& Add(std::string_view text);
    /// The one stored copy of `text`, made on its first call; never to be changed. Throws
    /// std::bad_alloc when memory runs out.
    const std::string& Intern(std::string_view text);

  private:
    std::deque<std::string> strings_;
    /// The interned strings, by their text (a view of the stored string itself).
    std::unordered_map<std::string_view, const std::string*> interned_;
};
