#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include "io/diagnostics.h"
#include "io/text_file.h"

/// What an OutputStream does with the bytes it is handed.
enum class OutputMode {
    own,      ///< writes them to the stream, and closes it
    borrow,   ///< writes them to the stream, and leaves it open (standard output)
    compare,  ///< writes nothing: reads the stream's file alongside, to tell whether it holds
              ///< exactly these bytes; closes it
    discard,  ///< counts them and drops them; there is no stream
};

/// The joined output: a buffered writer over one stream opened in text mode. Bytes are written
/// whole, NUL bytes included. Write errors are remembered and reported once, by `Close`.
class OutputStream {
  public:
    /// Takes `file` as `mode` says. Null writes nothing: `Close` then fails, except in compare
    /// mode, where it stands for a file that is not there (and so matches nothing), and in
    /// discard mode, which needs none.
    explicit OutputStream(FILE* file, OutputMode mode = OutputMode::own);
    /// Closes the stream, if still open, without examining the result.
    ~OutputStream();
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;

    void Write(const char* data, std::size_t size);
    void Write(std::string_view text) { Write(text.data(), text.size()); }
    /// Writes each piece in turn: text put together without formatting.
    void Write_Pieces(std::initializer_list<std::string_view> pieces) {
        for (const std::string_view piece : pieces) Write(piece.data(), piece.size());
    }
    void Put(char c) {
        if (used_ == stop_ && !Make_Room()) return;
        buffer_[used_++] = c;
    }
    /// Writes `text` followed by `end`, a line feed unless the line ended otherwise.
    void Write_Line(std::string_view text, char end = '\n') {
        // Nearly every line fits in what is left of the buffer (and of the budget).
        if (text.size() < stop_ - used_) {
            std::memcpy(buffer_.get() + used_, text.data(), text.size());
            used_ += text.size();
            buffer_[used_++] = end;
            return;
        }
        Write(text);
        Put(end);
    }
    /// `Write` without the copy where the run is long enough to spare it: the bytes are handed
    /// over from where they are, so they must stay as they are until `Release` (or `Close`), or
    /// be given to `Keep`.
    void Write_Held(const char* data, std::size_t size);
    /// Hands over the bytes `Write_Held` took, so that the memory they are in may change.
    void Release() {
        if (!held_.empty()) Flush();
    }
    /// Takes over `memory`, which held runs may point into, as its owner gives it up: it is
    /// freed once they are handed over. Many small files closed one after another are then
    /// written together rather than one system call each.
    void Keep(std::unique_ptr<char[]> memory, std::size_t size);
    /// printf-style formatting into the output; arguments must not hold NUL-containing text
    /// that has to be written whole (use `Write` for that).
    void Print(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    /// Hands the buffered bytes to the stream.
    void Flush();
    /// Flushes, tests the stream's error indicator and closes it (a borrowed one is only
    /// flushed). True when every byte was written and the close succeeded; in compare mode,
    /// always. The caller prints the error.
    [[nodiscard]] bool Close();
    /// In compare mode, after `Close`: the file held exactly the bytes written, no more.
    bool Matches() const {
        return matches_;
    }

    /// No byte beyond the first `limit` is taken. The write that would pass it prints "output
    /// '<name>' exceeds the maximum size of <limit> bytes" through `diagnostics` at once; `name`
    /// must outlive the stream.
    void Set_Limit(std::uint64_t limit, Diagnostics& diagnostics, const char* name) {
        limit_ = limit;
        diagnostics_ = &diagnostics;
        name_ = name;
        Update_Stop();
    }
    /// Takes the output past its limit without a byte more (a line longer than the limit was
    /// met), printing the limit's error unless that was done before.
    void Exceed_Limit();
    /// The bytes taken so far, buffered or handed over.
    std::uint64_t Position() const { return handed_over_ + held_bytes_ + used_; }
    /// Counts the line ends (line feeds and carriage returns) taken from now on.
    void Count_Lines() { counting_ = true; }
    /// With Count_Lines, the number of the line being written: one more than the line ends so
    /// far.
    std::uint64_t Line() {
        Count_Buffered();
        return line_ends_ + 1;
    }

    /// True once the limit was passed. The error was printed then.
    bool Over_Limit() const {
        return over_limit_;
    }

  private:
    static constexpr std::size_t kCapacity = 64 * 1024;
    /// Runs shorter than this are copied: a piece of their own would cost more.
    static constexpr std::size_t kHeldMinimum = 1024;
    /// The pieces kept before they are handed over together.
    static constexpr std::size_t kMaxHeld = 64;
    /// The memory kept for held pieces (`Keep`) before they are handed over.
    static constexpr std::size_t kMaxKept = 1024 * 1024;
    /// Passes bytes on to the stream (or compares them).
    void Hand_Over(const char* data, std::size_t size);
    /// Passes the held pieces and the buffered bytes between them on, in order.
    void Hand_Over_Held();
    /// Counts the line ends among the buffered bytes not counted yet.
    void Count_Buffered() {
        if (!counting_) return;
        line_ends_ += Count_Line_Ends(buffer_.get() + counted_, used_ - counted_);
        counted_ = used_;
    }
    static std::uint64_t Count_Line_Ends(const char* data, std::size_t size);
    /// Takes bytes known to fit in the limit.
    void Append(const char* data, std::size_t size);
    /// Flushes a full buffer for one more byte; false, past the limit, when none may come.
    bool Make_Room();
    /// Where the buffer must be flushed: its end, or where the limit falls if that is nearer.
    void Update_Stop() {
        const std::uint64_t left = limit_ - handed_over_ - held_bytes_;
        stop_ = left < kCapacity ? static_cast<std::size_t>(left) : kCapacity;
    }

    FILE* file_;
    OutputMode mode_;
    std::uint64_t limit_ = UINT64_MAX;
    std::uint64_t handed_over_ = 0;
    Diagnostics* diagnostics_ = nullptr;
    const char* name_ = "";
    bool over_limit_ = false;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::size_t stop_ = kCapacity;
    bool failed_ = false;
    bool matches_ = true;
    bool counting_ = false;
    std::uint64_t line_ends_ = 0;
    std::size_t counted_ = 0;  ///< the buffered bytes already counted
    /// The runs taken by Write_Held and the buffered bytes before each, in their order; the
    /// buffered bytes from `own_from_` on come after them.
    std::vector<TextPiece> held_;
    std::uint64_t held_bytes_ = 0;  ///< the bytes of the held runs
    std::vector<std::unique_ptr<char[]>> kept_;
    std::size_t kept_size_ = 0;
    std::size_t own_from_ = 0;
};
