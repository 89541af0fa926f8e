// Fuzz target: comment stripping and the #line test on arbitrary lines.
//
// The input is taken as the text of one file: it is cut at line feeds and every piece goes
// through Strip_Comments, with the scan state carried from line to line as the line loop does.
// Checked: the scan without the copy agrees with it; the OffsetMap has one entry per analysis
// byte, each the position of that very byte or the marker of a block comment's space, with
// positions increasing; a line that the loop copies without a scan leaves the state alone; an
// include found in the copy maps back to its bytes in the line; and the #line test agrees with
// sscanf.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "scan/line_scan.h"
#include "fuzz_check.h"
#include "scan/directive.h"

namespace {

// Every analysis byte is the source byte at its offset, or the space of a block comment;
// positions only grow.
void Check_Offsets(std::string_view line, const std::string& analysis,
                   const std::vector<std::uint32_t>& offsets) {
    FUZZ_CHECK(offsets.size() == analysis.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        if (offsets[i] == kCommentMarker) {
            FUZZ_CHECK(analysis[i] == ' ');
            continue;
        }
        FUZZ_CHECK(offsets[i] >= next && offsets[i] < line.size());
        FUZZ_CHECK(analysis[i] == line[offsets[i]]);
        next = offsets[i] + 1;
    }
}

bool Same(const ScanState& a, const ScanState& b) {
    return a.mode == b.mode && a.in_logical_line == b.in_logical_line && a.spliced == b.spliced &&
           a.escape_pending == b.escape_pending;
}

void Check_Include(std::string_view analysis, const std::vector<std::uint32_t>& offsets,
                   std::string_view line) {
    const Directive directive = Classify_Directive(analysis);
    if (directive.kind != DirectiveKind::include) return;
    const IncludeSyntax& syntax = directive.include;
    FUZZ_CHECK(syntax.hash < syntax.name_begin && syntax.name_begin <= syntax.name_end);
    FUZZ_CHECK(syntax.name_end < analysis.size());
    const std::uint32_t hash = offsets[syntax.hash];
    const std::uint32_t close = offsets[syntax.name_end];
    FUZZ_CHECK(hash != kCommentMarker && close != kCommentMarker && close < line.size());
    FUZZ_CHECK(line[hash] == '#' && line[close] == (syntax.angle ? '>' : '"'));
}

void Check_Line(std::string_view line, ScanState& state, std::string& analysis,
                std::vector<std::uint32_t>& offsets) {
    const ScanState before = state;
    ScanState scanned_state = state;
    const bool scanned = Check_Comments(line, scanned_state);
    const bool stripped = Strip_Comments(line, state, analysis, offsets);
    FUZZ_CHECK(scanned == stripped);
    if (stripped) {
        FUZZ_CHECK(Same(scanned_state, state));
        Check_Offsets(line, analysis, offsets);
        Check_Include(analysis, offsets, line);
        // What the line loop copies without a scan must leave the state as it was.
        if (before.At_Rest() && line.find_first_of("#/\"'\\\r") == std::string_view::npos) {
            FUZZ_CHECK(Same(before, state));
        }
    } else {
        // Only a literal left open fails.
        FUZZ_CHECK(line.find_first_of("\"'") != std::string_view::npos || before.Is_Literal());
        state = ScanState{};
    }
    // The #line test takes any text, and is promised to agree with sscanf.
    for (const std::string_view text : {std::string_view(analysis), line}) {
        unsigned value = 0;
        const std::string terminated(text);
        FUZZ_CHECK((Classify_Directive(text).kind == DirectiveKind::line) ==
                   (std::sscanf(terminated.c_str(), " # line %u", &value) == 1));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string analysis = "stale";
    std::vector<std::uint32_t> offsets{1, 2, 3};
    ScanState state;
    for (std::size_t begin = 0;;) {
        const std::size_t end = text.find('\n', begin);
        Check_Line(text.substr(begin, end == std::string_view::npos ? end : end - begin), state,
                   analysis, offsets);
        if (end == std::string_view::npos) return 0;
        begin = end + 1;
    }
}
