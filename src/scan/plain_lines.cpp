#include "scan/plain_lines.h"

#include <cstring>

#include "scan/byte_masks.h"

namespace {

using Mode = ScanState::Mode;

// Blanks as the line scan passes them before a line's end; a carriage return never gets here.
bool Is_Blank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// Bytes of identifiers and numbers, as the line scan counts them.
bool Is_Word_Byte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '_' || c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

// The bits of a block from `bit` up.
std::uint64_t From(std::size_t bit) {
    return ~std::uint64_t{0} << (bit % kMaskBlock);
}

constexpr std::size_t kNowhere = ~std::size_t{0};

// What a block comment's opening line holds before it, which is what its later lines start
// with: no token, some, or maybe some behind an earlier comment, which only the line scan tells.
enum class Token : std::uint8_t { none, some, unknown };

// Walks the masked bytes of the text block after block in the mode of the scan; each mode
// looks only at the bytes that can change it. Line feeds outside block comments and raw strings
// are not looked at one by one: the last one before a point is found in the masks when needed.
class Walk {
  public:
    Walk(std::string_view text, const ScanState& state)
        : d_(text.data()), n_(text.size()), mode_(state.mode) {
        line_mode_ = state.mode;
        line_in_logical_ = state.in_logical_line;
        comment_token_ = state.in_logical_line ? Token::some : Token::none;
        code_from_ = state.mode == Mode::code ? 0 : kNowhere;
    }

    std::size_t Run(ScanState& state, std::uint32_t& lines);

  private:
    static constexpr std::size_t kWindow = 8;  // blocks classified at a time

    const ByteMasks& Block(std::size_t index) {
        if (index - first_ >= count_) Classify(index);
        return blocks_[index - first_];
    }
    void Classify(std::size_t index);
    // The line feeds in [from, to) of the block at `base`.
    static std::uint64_t Feeds(std::size_t from, std::size_t to, std::size_t base,
                               const ByteMasks& block) {
        if (from >= to) return 0;
        std::uint64_t feeds = block.feeds;
        if (from > base) feeds &= From(from);
        if (to < base + kMaskBlock) feeds &= ~From(to);
        return feeds;
    }
    // Notes the last of `feeds`, of the block at `base`: the line behind it begins in `mode`.
    void Last_Feed(std::uint64_t feeds, std::size_t base, const ByteMasks& block, Mode mode,
                   bool in_logical) {
        if (feeds == 0) return;
        const std::size_t feed = base + Highest_Bit(feeds);
        line_begin_ = feed + 1;
        line_feeds_before_ = feeds_before_;
        line_feeds_ = block.feeds & ~(From(feed) << 1);
        line_mode_ = mode;
        line_in_logical_ = in_logical;
    }
    // The lines begun outside comments up to `to`, in the block at `base`.
    void Code_Lines(std::size_t to, std::size_t base, const ByteMasks& block) {
        Last_Feed(Feeds(code_from_, to, base, block), base, block, Mode::code, false);
    }
    // The lines begun inside the block comment or raw string up to `to`. False when a block
    // comment's lines cannot be told.
    bool Comment_Lines(std::size_t to, std::size_t base, const ByteMasks& block) {
        const std::uint64_t feeds = Feeds(segment_, to, base, block);
        if (feeds != 0 && mode_ == Mode::block_comment && comment_token_ == Token::unknown) {
            return false;
        }
        Last_Feed(feeds, base, block, mode_, comment_token_ == Token::some);
        return true;
    }
    Token Token_Before(std::size_t open) const;

    const char* d_;
    std::size_t n_;
    Mode mode_;
    ByteMasks blocks_[kWindow];
    std::size_t first_ = 0;  // the block index of blocks_[0]
    std::size_t count_ = 0;
    std::size_t feeds_before_ = 0;  // line feeds in the blocks before the current one
    std::size_t code_from_;         // where the text outside comments last began
    std::size_t segment_ = 0;       // where the block comment or raw string was last looked at
    // The line the walk is in: where it begins, what was open there, the line feeds before it.
    std::size_t line_begin_ = 0;
    Mode line_mode_;
    bool line_in_logical_;
    std::size_t line_feeds_before_ = 0;
    std::uint64_t line_feeds_ = 0;
    Token comment_token_;
};

void Walk::Classify(std::size_t index) {
    first_ = index;
    const std::size_t at = index * kMaskBlock;
    // In place where a byte follows the blocks, for the "*/" that may straddle them.
    const std::size_t whole = (n_ - at - 1) / kMaskBlock;
    if (whole > 0) {
        count_ = whole < kWindow ? whole : kWindow;
        Find_Byte_Masks(d_ + at, count_, blocks_);
        return;
    }
    // The last bytes, padded with bytes no mode stops at.
    char tail[kMaskBlock + 1] = {};
    const std::size_t size = n_ - at < kMaskBlock ? n_ - at : kMaskBlock;
    std::memcpy(tail, d_ + at, size);
    Find_Byte_Masks(tail, 1, blocks_);
    count_ = 1;
}

// Blanks back to the line's start say the line holds no token before the comment at `open`;
// what may end an earlier comment leaves it unknown.
Token Walk::Token_Before(std::size_t open) const {
    std::size_t at = open;
    while (at > line_begin_ && Is_Blank(d_[at - 1])) --at;
    if (at == line_begin_) return line_in_logical_ ? Token::some : Token::none;
    if (d_[at - 1] == '/' && at - 1 > line_begin_ && d_[at - 2] == '*') return Token::unknown;
    return Token::some;
}

std::size_t Walk::Run(ScanState& state, std::uint32_t& lines) {
    std::size_t at = 0;
    std::size_t comment = 0;  // where the line comment's text begins
    char quote = 0;
    std::size_t current = 0;  // the index of the block being walked
    const ByteMasks* block = n_ > 0 ? &Block(0) : nullptr;
    std::size_t base = 0;
    for (;;) {
        if (at >= base + kMaskBlock) {
            // On to the next block: what the last one held is accounted for.
            if (mode_ == Mode::block_comment || mode_ == Mode::raw_string) {
                if (!Comment_Lines(base + kMaskBlock, base, *block)) goto stop;
                segment_ = base + kMaskBlock;
            } else {
                Code_Lines(base + kMaskBlock, base, *block);
            }
            feeds_before_ += block->feed_count;
            if (at >= n_) goto stop;
            block = &Block(++current);
            base += kMaskBlock;
        }
        std::uint64_t mask = 0;
        switch (mode_) {
            case Mode::code:
                mask = block->code;
                break;
            case Mode::block_comment:
                mask = block->comment;
                break;
            case Mode::line_comment:
            case Mode::string:
            case Mode::character:
            case Mode::raw_string:
                mask = block->literal;
                break;
        }
        mask &= From(at);
        if (mask == 0) {
            at = base + kMaskBlock;  // nothing more in this block
            continue;
        }
        const std::size_t p = base + Lowest_Bit(mask);
        const char c = d_[p];
        at = p + 1;
        if (c == '\r') goto stop_at;  // a line end of its own, or half of one
        switch (mode_) {
            case Mode::code:
                if (c == '/') {
                    if (at == n_) goto stop_at;
                    if (d_[at] == '/') {
                        mode_ = Mode::line_comment;
                        comment = ++at;
                    } else if (d_[at] == '*') {
                        Code_Lines(p, base, *block);
                        code_from_ = kNowhere;
                        mode_ = Mode::block_comment;
                        comment_token_ = Token_Before(p);
                        // Behind "/*", so that "/*/" does not close itself.
                        segment_ = ++at;
                    }
                } else if (c == '"' || c == '\'') {
                    // A raw string, a digit separator or a prefixed character literal is left
                    // to the line scan.
                    if (p > 0 && (c == '"' ? d_[p - 1] == 'R' : Is_Word_Byte(d_[p - 1]))) {
                        goto stop_at;
                    }
                    mode_ = c == '"' ? Mode::string : Mode::character;
                    quote = c;
                } else {
                    goto stop_at;  // '#' may begin a directive, '\\' continue a line
                }
                break;
            case Mode::block_comment:
                // At the '*' of "*/".
                if (!Comment_Lines(p, base, *block)) goto stop;
                mode_ = Mode::code;
                code_from_ = ++at;
                break;
            case Mode::line_comment: {
                if (c != '\n') break;  // a quote or a backslash in the comment's text
                // A backslash last on the line continues the comment.
                std::size_t end = p;
                while (end > comment && Is_Blank(d_[end - 1])) --end;
                if (end > comment && d_[end - 1] == '\\') goto stop_at;
                mode_ = Mode::code;
                break;
            }
            case Mode::string:
            case Mode::character:
                if (c == '\n') goto stop_at;  // left open: the line scan reports it
                if (c == '\\') {
                    // It escapes the byte behind it, unless it continues the line.
                    std::size_t next = at;
                    while (next < n_ && Is_Blank(d_[next])) ++next;
                    if (next == n_ || d_[next] == '\n' || d_[next] == '\r') goto stop_at;
                    ++at;
                } else if (c == quote) {
                    mode_ = Mode::code;
                }
                break;
            case Mode::raw_string:
                if (c == '"') goto stop_at;  // may end it
                break;
        }
    }
stop_at:
    // Stopped at the masked byte just taken: the lines begun before it.
    if (mode_ == Mode::block_comment || mode_ == Mode::raw_string) {
        (void)Comment_Lines(at - 1, base, *block);
    } else {
        Code_Lines(at - 1, base, *block);
    }
stop:
    state.mode = line_mode_;
    state.in_logical_line = line_in_logical_;
    lines = static_cast<std::uint32_t>(line_feeds_before_ + Count_Bits(line_feeds_));
    // A backslash-newline inside a block comment is passed over; the state still tells it.
    state.spliced = false;
    if (line_begin_ > 0 && line_mode_ == Mode::block_comment) {
        std::size_t end = line_begin_ - 1;
        while (end > 0 && Is_Blank(d_[end - 1])) --end;
        state.spliced = end > 0 && d_[end - 1] == '\\';
    }
    return line_begin_;
}

}  // namespace

std::size_t Plain_Lines(std::string_view text, ScanState& state, std::uint32_t& lines) {
    lines = 0;
    const bool code = state.mode == Mode::code && !state.in_logical_line;
    if (text.empty() || state.spliced || state.escape_pending ||
        (!code && state.mode != Mode::block_comment && state.mode != Mode::raw_string)) {
        return 0;
    }
    return Walk(text, state).Run(state, lines);
}
