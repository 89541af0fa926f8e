#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

/// Where each line of an output comes from, in runs: from one output line on, the lines of one
/// file from one of its lines on, or the lines the tool wrote itself. Written as JSON beside the
/// output, read back to map compiler messages about the output to the files they are about.
///
///   {"version": 1, "output": "<output>", "files": ["<file>", ...],
///    "runs": [[<output line>, <index into files>, <line there>], [<output line>, null], ...]}
class LineMap {
  public:
    /// From output line `line` on, the lines are the tool's own.
    void Tool(std::uint64_t line);
    /// From output line `line` on, the lines are those of `file` from `source_line` on.
    void Source(std::uint64_t line, std::string_view file, std::uint32_t source_line);

    /// The map as JSON, for the output named `output`.
    std::string Json(std::string_view output) const;
    /// Reads a map that Json wrote into `map`. False when `text` is no such map.
    [[nodiscard]] static bool Parse(std::string_view text, LineMap& map);

    /// The output's name as the map gives it.
    const std::string& Output() const { return output_; }
    /// The file and line where output line `line` comes from. False for a line of the tool's
    /// own, or one past the runs.
    bool Find(std::uint64_t line, std::string& file, std::uint64_t& source_line) const;

  private:
    struct Run {
        std::uint64_t line;
        int file;  ///< into files_; -1 for the tool's own lines
        std::uint64_t source_line;
    };
    void Add(Run run);

    std::string output_;
    std::vector<std::string> files_;
    std::map<std::string, int, std::less<>> indexes_;
    std::vector<Run> runs_;
};
