// Fuzz target: comment stripping over the lines of one file, the scan state carried from line to
// line as the line loop does. Checked: the scan without the copy agrees with it; every analysis
// byte is the line's byte at its offset, or the space of a block comment, offsets growing; an
// include found in the copy maps back to its bytes in the line; only an open literal fails.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "scan/directive.h"
#include "scan/line_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string analysis = "stale";
    std::vector<std::uint32_t> offsets{1, 2, 3};
    ScanState state;
    for (std::size_t begin = 0; begin <= text.size();) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        const std::string_view line = text.substr(begin, end - begin);
        begin = end + 1;
        const ScanState before = state;
        ScanState scanned = state;
        const bool ok = Check_Comments(line, scanned);
        FUZZ_CHECK(Strip_Comments(line, state, analysis, offsets) == ok);
        if (!ok) {
            FUZZ_CHECK(line.find_first_of("\"'") != std::string_view::npos || before.Is_Literal());
            state = ScanState{};
            continue;
        }
        FUZZ_CHECK(scanned.mode == state.mode && scanned.spliced == state.spliced);
        FUZZ_CHECK(offsets.size() == analysis.size());
        for (std::size_t i = 0, next = 0; i < offsets.size(); ++i) {
            if (offsets[i] == kCommentMarker) {
                FUZZ_CHECK(analysis[i] == ' ');
                continue;
            }
            FUZZ_CHECK(offsets[i] >= next && offsets[i] < line.size());
            FUZZ_CHECK(analysis[i] == line[offsets[i]]);
            next = offsets[i] + 1;
        }
        const Directive directive = Classify_Directive(analysis);
        if (directive.kind == DirectiveKind::include) {
            const IncludeSyntax& syntax = directive.include;
            FUZZ_CHECK(syntax.hash < syntax.name_begin && syntax.name_begin <= syntax.name_end &&
                       syntax.name_end < analysis.size());
            const std::uint32_t hash = offsets[syntax.hash], close = offsets[syntax.name_end];
            FUZZ_CHECK(hash != kCommentMarker && close != kCommentMarker);
            FUZZ_CHECK(line[hash] == '#' && line[close] == (syntax.angle ? '>' : '"'));
        }
    }
    return 0;
}
