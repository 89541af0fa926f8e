#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/line_scan.h"

/// The physical lines of one logical line that begins a directive, which goes on over
/// backslash-newlines and over comments that span lines. Most directives are one line, which
/// is then only looked at, not copied.
class DirectiveLines {
  public:
    struct Line {
        std::size_t begin;     ///< where its bytes begin in Text()
        std::size_t end;       ///< and end, without the line end
        char line_end;         ///< how it ended
        std::uint32_t number;  ///< its number in the file
        ScanState after;       ///< what the scan of the file was after it
    };

    /// Begins with the directive's first line, which must stay valid while this is used.
    void Start(std::string_view first, char line_end, std::uint32_t number, const ScanState& after);
    /// Adds the next physical line, copied.
    void Add(std::string_view next, char line_end, std::uint32_t number, const ScanState& after);

    /// The bytes of all the lines, one after the other, without their line ends.
    std::string_view Text() const { return text_; }
    const std::vector<Line>& Lines() const { return lines_; }
    /// The index of the line that holds the byte at `position` of Text().
    std::size_t Line_Of(std::size_t position) const;

  private:
    std::string storage_;
    std::string_view text_;
    std::vector<Line> lines_;
};
