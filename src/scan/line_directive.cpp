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

}  // namespace

LineDirective Parse_Line_Directive(std::string_view analysis) {
    LineDirective result;
    const std::size_t end = analysis.size();
    std::size_t p = Directive_Word(analysis);
    if (p == std::string_view::npos || end - p < 5 || analysis.substr(p, 4) != "line" ||
        !Is_Space(analysis[p + 4])) {
        return result;
    }
    p = Skip_Space(analysis, p + 5);

    std::uint32_t number = 0;
    for (; p < end && Is_Digit(analysis[p]); ++p) {
        const std::uint64_t next = std::uint64_t{number} * 10 + (analysis[p] - '0');
        if (next > UINT32_MAX) ++result.overflows;
        number = static_cast<std::uint32_t>(next);
    }
    result.number = number;

    // Anything glued to the number ends the directive; only whitespace may lead to a name.
    if (p == end || !Is_Space(analysis[p])) {
        result.accepted = true;
        return result;
    }
    p = Skip_Space(analysis, p);
    // Blanks, or a comment that stripping turned into them, end the directive as nothing would.
    if (p == end) {
        result.accepted = true;
        return result;
    }
    if (analysis[p] == '"') {
        const std::size_t close = Find_Quote(analysis, p + 1);
        if (close == std::string_view::npos) return result;
        result.name = analysis.substr(p + 1, close - (p + 1));
        result.accepted = true;
        return result;
    }
    result.accepted = Find_Quote(analysis, p) != std::string_view::npos;
    return result;
}
