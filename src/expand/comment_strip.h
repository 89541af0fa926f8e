#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// OffsetMap entry of the one space that stands for an in-line block comment.
constexpr std::uint32_t kCommentMarker = 0xFFFFFFFFu;

/// Builds the analysis copy of `line`: comments removed (an in-line block comment becomes one
/// space), string and character literals kept whole. `offsets` gets one entry per analysis byte:
/// its position in `line`, or kCommentMarker. `in_block_comment` carries an open block comment
/// from line to line of one file. False on a literal left open at the end of the line; the
/// caller prints the error.
[[nodiscard]] bool Strip_Comments(std::string_view line, bool& in_block_comment,
                                  std::string& analysis, std::vector<std::uint32_t>& offsets);

/// The scan of `Strip_Comments` without the copy, for lines that cannot hold a directive:
/// updates `in_block_comment` and fails exactly as it would.
[[nodiscard]] bool Check_Comments(std::string_view line, bool& in_block_comment);
