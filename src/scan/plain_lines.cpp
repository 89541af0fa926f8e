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

// What a block comment's opening line holds before it, which is what its later lines start
// with: no token, some, or maybe some behind an earlier comment, which only the line scan tells.
enum class Token : std::uint8_t { none, some, unknown };

// Walks the masked bytes of the text block after block, one loop for each mode, each looking
// only at the bytes that can change it. Line feeds are not looked at one by one: where a stretch
// of code or of a comment ends, the last line feed in it is found in the masks, and with it the
// line the walk is in.
class Walk {
  public:
    Walk(std::string_view text, const ScanState& state)
        : d_(text.data()), n_(text.size()), mode_(state.mode) {
        line_mode_ = state.mode;
        line_in_logical_ = state.in_logical_line;
        comment_token_ = state.in_logical_line ? Token::some : Token::none;
    }

    std::size_t Run(ScanState& state, std::uint32_t& lines);

  private:
    static constexpr std::size_t kWindow = 16;  // blocks classified at a time, at most

    const ByteMasks& Block(std::size_t index) {
        if (index - first_ >= count_) Classify(index);
        return blocks_[index - first_];
    }
    void Classify(std::size_t index);
    // On to the next block; false at the end of the text.
    bool Next_Block() {
        if (base_ + kMaskBlock >= n_) return false;
        feeds_before_ += block_->feed_count;
        if (block_->feeds != 0) {
            last_feeds_ = block_->feeds;
            last_feeds_base_ = base_;
        }
        base_ += kMaskBlock;
        block_ = &Block(base_ / kMaskBlock);
        return true;
    }
    // Moves on to the block that holds `at`; false at the end of the text.
    bool Seek(std::size_t at) {
        while (at >= base_ + kMaskBlock) {
            if (!Next_Block()) return false;
        }
        return true;
    }
    // The next byte of the mask `which` from `at` on, into `p`; false at the end of the text.
    bool Find(std::uint64_t ByteMasks::*which, std::size_t at, std::size_t& p) {
        if (!Seek(at)) return false;
        for (std::uint64_t mask = block_->*which & From(at);; mask = block_->*which) {
            if (mask != 0) {
                p = base_ + Lowest_Bit(mask);
                return true;
            }
            if (!Next_Block()) return false;
        }
    }
    // A stretch that began at `from` ends at `to`, in the current block or at its end: the line
    // behind its last line feed, if it has one, begins in `mode`. False when that line cannot be
    // told (a block comment's, `unknown`).
    bool Stretch_Ends(std::size_t from, std::size_t to, Mode mode, Token token);
    Token Token_Before(std::size_t open) const;

    const char* d_;
    std::size_t n_;
    Mode mode_;
    ByteMasks blocks_[kWindow];
    std::size_t first_ = 0;  // the block index of blocks_[0]
    std::size_t count_ = 0;
    std::size_t window_ = 2;  // grows to kWindow: a walk often stops in its first blocks
    const ByteMasks* block_ = nullptr;  // the block being walked, at base_
    std::size_t base_ = 0;
    std::size_t feeds_before_ = 0;  // line feeds in the blocks before the current one
    // The line feeds of the last block before the current one that has any, at last_feeds_base_.
    std::uint64_t last_feeds_ = 0;
    std::size_t last_feeds_base_ = 0;
    // The line the walk is in: where it begins, what was open there, the line feeds before it.
    std::size_t line_begin_ = 0;
    Mode line_mode_;
    bool line_in_logical_;
    std::size_t line_feeds_ = 0;
    Token comment_token_;
};

void Walk::Classify(std::size_t index) {
    first_ = index;
    const std::size_t at = index * kMaskBlock;
    // In place where a byte follows the blocks, for the "*/" that may straddle them.
    const std::size_t whole = (n_ - at - 1) / kMaskBlock;
    if (whole > 0) {
        count_ = whole < window_ ? whole : window_;
        if (window_ < kWindow) window_ *= 2;
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

bool Walk::Stretch_Ends(std::size_t from, std::size_t to, Mode mode, Token token) {
    std::uint64_t here = block_->feeds;
    if (to < base_ + kMaskBlock) here &= ~From(to);
    std::size_t feed;
    std::size_t before;
    if (here != 0) {
        feed = base_ + Highest_Bit(here);
        before = feeds_before_ + Count_Bits(here);
    } else if (last_feeds_ != 0) {
        feed = last_feeds_base_ + Highest_Bit(last_feeds_);
        before = feeds_before_;
    } else {
        return true;
    }
    if (feed < from) return true;
    if (token == Token::unknown) return false;
    line_begin_ = feed + 1;
    line_feeds_ = before;
    line_mode_ = mode;
    line_in_logical_ = token == Token::some;
    return true;
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
    block_ = &Block(0);
    std::size_t at = 0;         // the next byte to look at
    std::size_t p = 0;          // the byte the walk stopped at
    std::size_t from = 0;       // where the stretch of code, comment or raw string began
    std::size_t comment = 0;    // where the line comment's text begins
    char quote = 0;
    switch (mode_) {
        case Mode::block_comment:
            goto block_comment;
        case Mode::raw_string:
            goto raw_string;
        default:
            goto code;
    }

code:
    if (!Find(&ByteMasks::code, at, p)) goto end_code;
    at = p + 1;
    switch (d_[p]) {
        case '/':
            if (at == n_) goto stop_code;
            if (d_[at] == '/') {
                comment = ++at;
                goto line_comment;
            }
            if (d_[at] == '*') {
                (void)Stretch_Ends(from, p, Mode::code, Token::none);
                comment_token_ = Token_Before(p);
                mode_ = Mode::block_comment;
                // Behind "/*", so that "/*/" does not close itself.
                from = ++at;
                goto block_comment;
            }
            goto code;
        case '"':
        case '\'':
            // A raw string, a digit separator or a prefixed character literal is left to the
            // line scan.
            quote = d_[p];
            if (p > 0 && (quote == '"' ? d_[p - 1] == 'R' : Is_Word_Byte(d_[p - 1]))) {
                goto stop_code;
            }
            goto literal;
        default:
            goto stop_code;  // '#' may begin a directive, '\\' continue a line, '\r' end one
    }

line_comment:
    if (!Find(&ByteMasks::literal, at, p)) goto end_code;
    at = p + 1;
    switch (d_[p]) {
        case '\r':
            goto stop_code;
        case '\n': {
            // A backslash last on the line continues the comment.
            std::size_t end = p;
            while (end > comment && Is_Blank(d_[end - 1])) --end;
            if (end > comment && d_[end - 1] == '\\') goto stop_code;
            goto code;
        }
        default:
            goto line_comment;  // a quote or a backslash in the comment's text
    }

literal:
    if (!Find(&ByteMasks::literal, at, p)) goto end_code;
    at = p + 1;
    switch (d_[p]) {
        case '\r':
        case '\n':
            goto stop_code;  // left open: the line scan reports it
        case '\\': {
            // It escapes the byte behind it, unless it continues the line.
            std::size_t next = at;
            while (next < n_ && Is_Blank(d_[next])) ++next;
            if (next == n_ || d_[next] == '\n' || d_[next] == '\r') goto stop_code;
            ++at;
            goto literal;
        }
        default:
            if (d_[p] == quote) goto code;
            goto literal;
    }

block_comment:
    if (!Find(&ByteMasks::comment, at, p)) goto end_comment;
    at = p + 1;
    if (d_[p] == '\r') goto stop_comment;  // a line end of its own, or half of one
    // At the '*' of "*/".
    if (!Stretch_Ends(from, p, Mode::block_comment, comment_token_)) goto stop;
    at = p + 2;
    from = at;
    goto code;

raw_string:
    if (!Find(&ByteMasks::literal, at, p)) goto end_comment;
    at = p + 1;
    if (d_[p] == '\r' || d_[p] == '"') goto stop_comment;  // a quote may end it
    goto raw_string;

end_code:
    p = base_ + kMaskBlock;
stop_code:
    // Stopped at p: the lines begun before it.
    (void)Stretch_Ends(from, p, Mode::code, Token::none);
    goto stop;
end_comment:
    p = base_ + kMaskBlock;
stop_comment:
    (void)Stretch_Ends(from, p, mode_, comment_token_);
stop:
    state.mode = line_mode_;
    state.in_logical_line = line_in_logical_;
    lines = static_cast<std::uint32_t>(line_feeds_);
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
