// The analysis of each line of a file, the scan state carried as the line loop does: the scan
// without the copy fails and ends as the copy does, and every byte of the copy is the line's byte
// at its offset, offsets growing, or the one space of a block comment.

#include <cstdlib>
#include <string>
#include <vector>

#include "scan/line_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string analysis;
    std::vector<std::uint32_t> offsets;
    ScanState state;
    for (std::size_t begin = 0; begin <= text.size();) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        const std::string_view line = text.substr(begin, end - begin);
        begin = end + 1;
        ScanState checked = state;
        const bool ok = Check_Comments(line, checked);
        if (Strip_Comments(line, state, analysis, offsets) != ok) std::abort();
        if (!ok) {
            state = ScanState{};
            continue;
        }
        if (checked.mode != state.mode || offsets.size() != analysis.size()) std::abort();
        for (std::size_t i = 0, next = 0; i < offsets.size(); ++i) {
            const std::uint32_t at = offsets[i];
            if (at == kCommentMarker ? analysis[i] != ' '
                                     : at < next || at >= line.size() || analysis[i] != line[at]) {
                std::abort();
            }
            if (at != kCommentMarker) next = at + 1;
        }
    }
    return 0;
}
