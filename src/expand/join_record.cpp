#include "expand/join_record.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "expand/path_map.h"

namespace {

// `text` as a DOT string, quoted.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') quoted.push_back('\\');
        quoted.push_back(c == '\n' ? ' ' : c);
    }
    return quoted + "\"";
}

}  // namespace

JoinRecord::File& JoinRecord::Find(const char* path, const char* name) {
    File& file = files_[path];
    if (file.id.empty()) {
        std::string scratch;
        file.id.assign(Map_Path(path, options_.path_prefix_map, scratch));
        file.name.assign(Map_Path(name, options_.path_prefix_map, scratch));
    }
    return file;
}

void JoinRecord::Account(const char* path, const char* name, std::uint64_t position) {
    if (current_ != nullptr) current_->bytes += position - accounted_;
    accounted_ = position;
    current_ = path != nullptr ? &Find(path, name) : nullptr;
}

void JoinRecord::Included(const char* includer, const char* path, const char* name,
                          bool expanded) {
    File& file = Find(path, name);
    ++(expanded ? file.expanded : file.skipped);
    if (includer == nullptr) return;
    Edge& edge = edges_[{includer, path}];
    ++(expanded ? edge.expanded : edge.skipped);
}

std::string JoinRecord::Report() const {
    std::vector<const File*> files;
    std::uint64_t total = 0;
    unsigned expanded = 0, skipped = 0;
    for (const auto& entry : files_) {
        files.push_back(&entry.second);
        total += entry.second.bytes;
        expanded += entry.second.expanded;
        skipped += entry.second.skipped;
    }
    std::stable_sort(files.begin(), files.end(),
                     [](const File* a, const File* b) { return a->bytes > b->bytes; });
    std::string report = "       bytes  expanded  skipped  file\n";
    char line[64];
    const auto row = [&](std::uint64_t bytes, unsigned times, unsigned left, const std::string& name) {
        std::snprintf(line, sizeof line, "%12llu  %8u  %7u  ", static_cast<unsigned long long>(bytes),
                      times, left);
        report += line + name + "\n";
    };
    for (const File* file : files) row(file->bytes, file->expanded, file->skipped, file->name);
    row(total, expanded, skipped, "(total)");
    return report;
}

std::string JoinRecord::Graph() const {
    std::string graph = "digraph includes {\n    node [shape=box];\n";
    // In the order of the names the output shows, whatever folder the tree is in.
    std::vector<const File*> files;
    for (const auto& entry : files_) files.push_back(&entry.second);
    std::sort(files.begin(), files.end(),
              [](const File* a, const File* b) { return a->id < b->id; });
    for (const File* shown : files) {
        const File& file = *shown;
        // The name over its byte count, on two lines.
        std::string label = Quoted(file.name);
        label.insert(label.size() - 1, "\\n" + std::to_string(file.bytes) + " bytes");
        graph += "    " + Quoted(file.id) + " [label=" + label + "];\n";
    }
    for (const auto& entry : edges_) {
        const std::string from = Quoted(files_.at(entry.first.first).id);
        const std::string to = Quoted(files_.at(entry.first.second).id);
        const Edge& edge = entry.second;
        // A label says how often, where it was more than once.
        const auto label = [](unsigned times) {
            return times > 1 ? " label=\"" + std::to_string(times) + "\"" : std::string();
        };
        if (edge.expanded != 0) {
            graph += "    " + from + " -> " + to;
            if (edge.expanded > 1) graph += " [" + label(edge.expanded).substr(1) + "]";
            graph += ";\n";
        }
        if (edge.skipped != 0) {
            graph += "    " + from + " -> " + to + " [style=dashed" + label(edge.skipped) + "];\n";
        }
    }
    return graph + "}\n";
}
