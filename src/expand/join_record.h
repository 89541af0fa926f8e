#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "expand/options.h"

/// What a run did with each file, for the size report and the include graph: how often it was
/// expanded and left out, the bytes its own lines (and the tool's lines among them) put into the
/// output, and which file included which. Files are told apart by the path they were opened
/// with, and shown by the name the compiler knows them by, mapped as paths in the output are.
class JoinRecord {
  public:
    explicit JoinRecord(const Options& options) : options_(options) {}

    /// The output holds `position` bytes: those since the last call came from the file `path`
    /// (null for none). Called whenever another file takes over the output.
    void Account(const char* path, const char* name, std::uint64_t position);
    /// `path` (shown as `name`) was included by `includer` (null for an input): expanded, or
    /// left out because the compiler drops it there.
    void Included(const char* includer, const char* path, const char* name, bool expanded);

    /// The size report: a line per file, most bytes first, then the total.
    std::string Report() const;
    /// The include graph in Graphviz DOT.
    std::string Graph() const;

  private:
    struct File {
        std::string id;  ///< the path as the output shows it
        std::string name;
        std::uint64_t bytes = 0;
        unsigned expanded = 0;
        unsigned skipped = 0;
    };
    struct Edge {
        unsigned expanded = 0;
        unsigned skipped = 0;
    };
    File& Find(const char* path, const char* name);

    const Options& options_;
    std::map<std::string, File> files_;
    std::map<std::pair<std::string, std::string>, Edge> edges_;
    File* current_ = nullptr;
    std::uint64_t accounted_ = 0;
};
