#include "expand/directive_lines.h"

void DirectiveLines::Start(std::string_view first, char line_end, std::uint32_t number,
                           const ScanState& after) {
    text_ = first;
    lines_.clear();
    lines_.push_back({0, first.size(), line_end, number, after});
}

void DirectiveLines::Add(std::string_view next, char line_end, std::uint32_t number,
                         const ScanState& after) {
    if (text_.data() != storage_.data() || text_.size() != storage_.size()) storage_.assign(text_);
    const std::size_t begin = storage_.size();
    storage_.append(next.data(), next.size());
    text_ = storage_;
    lines_.push_back({begin, storage_.size(), line_end, number, after});
}

std::size_t DirectiveLines::Line_Of(std::size_t position) const {
    std::size_t line = 0;
    while (line + 1 < lines_.size() && position >= lines_[line].end) ++line;
    return line;
}
