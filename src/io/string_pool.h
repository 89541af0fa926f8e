#pragma once

#include <deque>
#include <string>
#include <string_view>

/// Append-only store of strings whose addresses stay fixed until the pool is destroyed.
/// Equal texts are stored twice; nothing is ever looked up or removed.
class StringPool {
  public:
    /// Appends a copy of `text`. The caller may change the stored copy once, right away, and
    /// take pointers to its characters after that. Throws std::bad_alloc when memory runs out.
    std::string& Add(std::string_view text);
    std::size_t Size() const { return strings_.size(); }

  private:
    std::deque<std::string> strings_;
};
