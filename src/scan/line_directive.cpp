#include "scan/line_directive.h"

#include <cstdint>

#include "scan/directive.h"

namespace {

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

// Position of the first double quote at or after `from`; a backslash hides the byte behind it.
std::size_t Find_Quote(std::string_view text, std::size_t from) {
    std::size_t p = from;
    while (p < text.size()) {
        if (text[p] == '"') return p;
        p += (text[p] == '\\' && p + 1 < text.size()) ? 2 : 1;
    }
    return std::string_view::npos;
}

// A line marker's flags after its name: separate digits, of which 1 and 2 matter here.
void Read_Flags(std::string_view text, std::size_t p, LineDirective& result) {
    for (p = Skip_Space(text, p); p < text.size(); p = Skip_Space(text, p + 1)) {
        result.enters = result.enters || text[p] == '1';
        result.returns = result.returns || text[p] == '2';
    }
}

}  // namespace

LineDirective Parse_Line_Directive(std::string_view analysis) {
    LineDirective result;
    const std::size_t end = analysis.size();
    std::size_t p = Directive_Word(analysis);
    if (p == std::string_view::npos) return result;
    const bool marker = Is_Digit(analysis[p]);
    if (!marker) {
        if (end - p < 5 || analysis.substr(p, 4) != "line" || !Is_Blank(analysis[p + 4])) {
            return result;
        }
        p = Skip_Space(analysis, p + 5);
    }
    if (p == end || !Is_Digit(analysis[p])) return result;

    std::uint32_t number = 0;
    for (; p < end && Is_Digit(analysis[p]); ++p) {
        const std::uint64_t next = std::uint64_t{number} * 10 + (analysis[p] - '0');
        if (next > UINT32_MAX) ++result.overflows;
        number = static_cast<std::uint32_t>(next);
    }
    result.number = number;

    // The number is a token of its own: a name may follow it, glued or not, and nothing else.
    if (p < end && analysis[p] != '"') {
        if (!Is_Blank(analysis[p])) return result;
        p = Skip_Space(analysis, p);
    }
    // Blanks, or a comment that stripping turned into them, end the directive as nothing would.
    if (p == end) {
        result.accepted = true;
        return result;
    }
    if (analysis[p] != '"') return result;
    const std::size_t close = Find_Quote(analysis, p + 1);
    if (close == std::string_view::npos) return result;
    result.has_name = true;
    result.name = analysis.substr(p + 1, close - (p + 1));
    result.accepted = true;
    if (marker) Read_Flags(analysis, close + 1, result);
    return result;
}
