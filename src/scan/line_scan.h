#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// OffsetMap entry of the one space that stands for an in-line block comment.
constexpr std::uint32_t kCommentMarker = 0xFFFFFFFFu;

/// Where the scan of one file stands between two of its physical lines: what the last line left
/// open, as a compiler reads it.
struct ScanState {
    enum class Mode : std::uint8_t {
        code,           ///< outside comments and literals
        block_comment,  ///< inside /* */
        line_comment,   ///< a // comment continued by backslash-newline
        string,         ///< a "" literal continued by backslash-newline
        character,      ///< a '' literal continued by backslash-newline
        raw_string,     ///< inside a raw string literal, R"delimiter( ... )delimiter"
    };
    Mode mode = Mode::code;
    /// The logical line in progress already holds a token: the next physical line continues it
    /// (through a splice, a comment or a literal) and cannot begin a directive.
    bool in_logical_line = false;
    /// The last line ended with a backslash-newline.
    bool spliced = false;
    /// A backslash ended a continued literal: it escapes the first byte of the next line.
    bool escape_pending = false;
    /// A quote left open ends at the end of its line, as in text the compiler reads as prose
    /// (#error) or skips for sure: set by the caller for each line.
    bool lenient_quotes = false;
    std::uint8_t delimiter_size = 0;
    char delimiter[16] = {};

    /// True when the next line may begin a directive: it starts a logical line of its own, or
    /// continues one that holds nothing but comments so far.
    bool Directive_Possible() const {
        return !in_logical_line && (mode == Mode::code || mode == Mode::block_comment);
    }
    /// True when a line with none of '#', '/', '"', '\'' and '\\' leaves the state as it is, so
    /// such lines may be copied without a scan.
    bool At_Rest() const { return !spliced && mode != Mode::line_comment && !Is_Literal(); }
    bool Is_Literal() const { return mode == Mode::string || mode == Mode::character; }
    /// True when the logical line goes on past the line just scanned.
    bool Continues() const { return spliced || mode != Mode::code; }
};

/// Builds the analysis copy of `line`: comments removed (an in-line block comment becomes one
/// space), string, character and raw string literals kept whole, a backslash-newline at the end
/// left out. `offsets` gets one entry per analysis byte: its position in `line`, or
/// kCommentMarker. `state` carries comments, literals and splices from line to line of one file.
/// False on a string or character literal left open at the end of a line that does not continue,
/// unless `state.lenient_quotes`; the caller prints the error.
[[nodiscard]] bool Strip_Comments(std::string_view line, ScanState& state, std::string& analysis,
                                  std::vector<std::uint32_t>& offsets);

/// The scan of `Strip_Comments` without the copy, for lines that cannot hold a directive:
/// updates `state` and fails exactly as it would.
[[nodiscard]] bool Check_Comments(std::string_view line, ScanState& state);
