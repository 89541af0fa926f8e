#pragma once

#include <string_view>
#include <unordered_set>
#include <vector>

/// The files a run has read, each once, in the order first read: what a dependency file names.
class ReadFiles {
  public:
    struct Entry {
        const char* path;  ///< as the file was opened
        bool input;        ///< named on the command line rather than included
    };

    /// Records `path`, which must outlive this, unless it was recorded before. Throws
    /// std::bad_alloc when memory runs out.
    void Add(const char* path, bool input) {
        if (seen_.insert(path).second) entries_.push_back({path, input});
    }
    const std::vector<Entry>& Entries() const { return entries_; }

  private:
    std::unordered_set<std::string_view> seen_;
    std::vector<Entry> entries_;
};
