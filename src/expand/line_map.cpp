#include "expand/line_map.h"

#include <algorithm>
#include <cstdio>

namespace {

void Append_Json_String(std::string& out, std::string_view text) {
    out.push_back('"');
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

// Reads the JSON text of this map, and nothing more general.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool Skip(char c) {
        Blanks();
        if (at_ == text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool Peek(char c) {
        Blanks();
        return at_ < text_.size() && text_[at_] == c;
    }
    bool Word(std::string_view word) {
        Blanks();
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }
    bool Number(std::uint64_t& value) {
        Blanks();
        const std::size_t begin = at_;
        value = 0;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
            value = value * 10 + static_cast<std::uint64_t>(text_[at_++] - '0');
        }
        return at_ != begin;
    }
    bool String(std::string& value) {
        if (!Skip('"')) return false;
        value.clear();
        while (at_ < text_.size() && text_[at_] != '"') {
            char c = text_[at_++];
            if (c == '\\' && at_ < text_.size()) {
                c = text_[at_++];
                if (c == 'u') {
                    // Only the control bytes the writer escapes come back this way.
                    unsigned code = 0;
                    for (int digit = 0; digit < 4; ++digit, ++at_) {
                        const char h = at_ < text_.size() ? text_[at_] : ' ';
                        const int v = h >= '0' && h <= '9'   ? h - '0'
                                      : h >= 'a' && h <= 'f' ? h - 'a' + 10
                                      : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                             : -1;
                        if (v < 0) return false;
                        code = code * 16 + static_cast<unsigned>(v);
                    }
                    if (code > 0xFF) return false;
                    c = static_cast<char>(code);
                } else if (c == 'n') {
                    c = '\n';
                } else if (c == 't') {
                    c = '\t';
                }
            }
            value.push_back(c);
        }
        return Skip('"');
    }
    bool At_End() {
        Blanks();
        return at_ == text_.size();
    }

  private:
    void Blanks() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t')) {
            ++at_;
        }
    }
    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

void LineMap::Add(Run run) {
    if (!runs_.empty()) {
        const Run& last = runs_.back();
        // A run that goes on as the last one would adds nothing.
        if (last.file == run.file &&
            (run.file < 0 || last.source_line + (run.line - last.line) == run.source_line)) {
            return;
        }
        // The last run held no line: this one takes its place.
        if (last.line == run.line) {
            runs_.pop_back();
            Add(run);
            return;
        }
    }
    runs_.push_back(run);
}

void LineMap::Tool(std::uint64_t line) {
    Add({line, -1, 0});
}

void LineMap::Source(std::uint64_t line, std::string_view file, std::uint32_t source_line) {
    auto found = indexes_.find(file);
    if (found == indexes_.end()) {
        found = indexes_.emplace(std::string(file), static_cast<int>(files_.size())).first;
        files_.emplace_back(file);
    }
    Add({line, found->second, source_line});
}

std::string LineMap::Json(std::string_view output) const {
    std::string json = "{\"version\": 1, \"output\": ";
    Append_Json_String(json, output);
    json += ",\n \"files\": [";
    for (std::size_t i = 0; i < files_.size(); ++i) {
        json += i == 0 ? "\n  " : ",\n  ";
        Append_Json_String(json, files_[i]);
    }
    json += "],\n \"runs\": [";
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        const Run& run = runs_[i];
        json += i == 0 ? "\n  [" : ",\n  [";
        json += std::to_string(run.line);
        if (run.file < 0) {
            json += ", null]";
        } else {
            json += ", " + std::to_string(run.file) + ", " + std::to_string(run.source_line) + "]";
        }
    }
    json += "]}\n";
    return json;
}

bool LineMap::Parse(std::string_view text, LineMap& map) {
    Reader reader(text);
    std::uint64_t version = 0;
    std::string key;
    if (!reader.Skip('{') || !reader.String(key) || key != "version" || !reader.Skip(':') ||
        !reader.Number(version) || version != 1 || !reader.Skip(',') || !reader.String(key) ||
        key != "output" || !reader.Skip(':') || !reader.String(map.output_) ||
        !reader.Skip(',') || !reader.String(key) || key != "files" || !reader.Skip(':') ||
        !reader.Skip('[')) {
        return false;
    }
    for (bool first = true; !reader.Skip(']'); first = false) {
        std::string file;
        if ((!first && !reader.Skip(',')) || !reader.String(file)) return false;
        map.files_.push_back(std::move(file));
    }
    if (!reader.Skip(',') || !reader.String(key) || key != "runs" || !reader.Skip(':') ||
        !reader.Skip('[')) {
        return false;
    }
    for (bool first = true; !reader.Skip(']'); first = false) {
        Run run{0, -1, 0};
        if ((!first && !reader.Skip(',')) || !reader.Skip('[') || !reader.Number(run.line) ||
            !reader.Skip(',')) {
            return false;
        }
        if (!reader.Word("null")) {
            std::uint64_t file = 0;
            if (!reader.Number(file) || file >= map.files_.size() || !reader.Skip(',') ||
                !reader.Number(run.source_line)) {
                return false;
            }
            run.file = static_cast<int>(file);
        }
        if (!reader.Skip(']')) return false;
        map.runs_.push_back(run);
    }
    return reader.Skip('}') && reader.At_End();
}

bool LineMap::Find(std::uint64_t line, std::string& file, std::uint64_t& source_line) const {
    const auto after = std::upper_bound(runs_.begin(), runs_.end(), line,
                                        [](std::uint64_t at, const Run& run) { return at < run.line; });
    if (after == runs_.begin()) return false;
    const Run& run = *(after - 1);
    if (run.file < 0) return false;
    file = files_[static_cast<std::size_t>(run.file)];
    source_line = run.source_line + (line - run.line);
    return true;
}
