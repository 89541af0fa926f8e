// Fuzz target: comment stripping and the #line test on arbitrary lines.
//
// The input is taken as the text of one file: it is cut at line feeds and every piece goes
// through Strip_Comments, with the open block comment carried from line to line as the line
// loop does. Checked: the scan without the copy agrees with it; the OffsetMap has one entry per
// analysis byte, each the position of that very byte or the marker of a block comment's space,
// with positions increasing and nothing but comments left out; an include found in the copy
// maps back to its bytes in the line; and the #line test agrees with sscanf.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "expand/comment_strip.h"
#include "expand/include_directive.h"
#include "fuzz_check.h"
#include "lines/follow_line_directive.h"

namespace {

void Check_Offsets(std::string_view line, bool was_in_comment, bool in_comment,
                   const std::string& analysis, const std::vector<std::uint32_t>& offsets) {
    FUZZ_CHECK(offsets.size() == analysis.size());
    // The next source position not yet accounted for: behind a comment carried in, if any.
    std::size_t pos = 0;
    if (was_in_comment) {
        pos = line.find("*/");
        if (pos == std::string_view::npos) {
            FUZZ_CHECK(analysis.empty() && in_comment);
            return;
        }
        pos += 2;
    }
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        if (offsets[i] == kCommentMarker) {
            FUZZ_CHECK(analysis[i] == ' ' && line.substr(pos, 2) == "/*");
            pos = line.find("*/", pos + 2);
            FUZZ_CHECK(pos != std::string_view::npos);
            pos += 2;
        } else {
            FUZZ_CHECK(offsets[i] == pos && analysis[i] == line[pos]);
            ++pos;
        }
    }
    // What is left is a line comment or a block comment still open.
    const std::string_view rest = line.substr(pos);
    const bool open = rest.substr(0, 2) == "/*" && rest.find("*/", 2) == std::string_view::npos;
    FUZZ_CHECK(rest.empty() || rest.substr(0, 2) == "//" || open);
    FUZZ_CHECK(in_comment == open);
}

void Check_Include(std::string_view analysis, const std::vector<std::uint32_t>& offsets,
                   std::string_view line) {
    IncludeSyntax syntax;
    if (Recognize_Include(analysis, syntax) != IncludeShape::include) return;
    FUZZ_CHECK(syntax.hash < syntax.name_begin && syntax.name_begin <= syntax.name_end);
    FUZZ_CHECK(syntax.name_end < analysis.size());
    const std::uint32_t hash = offsets[syntax.hash];
    const std::uint32_t close = offsets[syntax.name_end];
    FUZZ_CHECK(hash != kCommentMarker && close != kCommentMarker && close < line.size());
    FUZZ_CHECK(line[hash] == '#' && line[close] == (syntax.angle ? '>' : '"'));
}

void Check_Line(std::string_view line, bool& in_comment, std::string& analysis,
                std::vector<std::uint32_t>& offsets) {
    const bool was_in_comment = in_comment;
    bool scan_in_comment = in_comment;
    const bool scanned = Check_Comments(line, scan_in_comment);
    const bool stripped = Strip_Comments(line, in_comment, analysis, offsets);
    FUZZ_CHECK(scanned == stripped);
    if (stripped) {
        FUZZ_CHECK(scan_in_comment == in_comment);
        Check_Offsets(line, was_in_comment, in_comment, analysis, offsets);
        Check_Include(analysis, offsets, line);
    } else {
        // Only an unterminated literal fails.
        FUZZ_CHECK(line.find_first_of("\"'") != std::string_view::npos);
        in_comment = false;
    }
    // The #line test takes any text, and is promised to agree with sscanf.
    for (const std::string_view text : {std::string_view(analysis), line}) {
        unsigned value = 0;
        const std::string terminated(text);
        FUZZ_CHECK(Is_Line_Directive(text) ==
                   (std::sscanf(terminated.c_str(), " # line %u", &value) == 1));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string analysis = "stale";
    std::vector<std::uint32_t> offsets{1, 2, 3};
    bool in_comment = false;
    for (std::size_t begin = 0;;) {
        const std::size_t end = text.find('\n', begin);
        Check_Line(text.substr(begin, end == std::string_view::npos ? end : end - begin),
                   in_comment, analysis, offsets);
        if (end == std::string_view::npos) return 0;
        begin = end + 1;
    }
}
