#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

/// The joined output: a buffered writer over one stream opened in text mode. Bytes are written
/// whole, NUL bytes included. Write errors are remembered and reported once, by `Close`.
class OutputStream {
  public:
    /// Takes ownership of `file`, which may be null (then nothing is written and `Close` fails).
    explicit OutputStream(FILE* file);
    /// Closes the stream, if still open, without examining the result.
    ~OutputStream();
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;

    void Write(const char* data, std::size_t size);
    void Write(std::string_view text) { Write(text.data(), text.size()); }
    void Put(char c) {
        if (used_ == kCapacity) Flush();
        buffer_[used_++] = c;
    }
    /// Writes `text` followed by `end`, a line feed unless the line ended otherwise.
    void Write_Line(std::string_view text, char end = '\n') {
        // Nearly every line fits in what is left of the buffer.
        if (text.size() < kCapacity - used_) {
            std::memcpy(buffer_.get() + used_, text.data(), text.size());
            used_ += text.size();
            buffer_[used_++] = end;
            return;
        }
        Write(text);
        Put(end);
    }
    /// printf-style formatting into the output; arguments must not hold NUL-containing text
    /// that has to be written whole (use `Write` for that).
    void Print(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    /// Hands the buffered bytes to the stream.
    void Flush();
    /// Flushes, tests the stream's error indicator and closes it. True when every byte was
    /// written and the close succeeded. The caller prints the error.
    [[nodiscard]] bool Close();

    FILE* Stream() const {
        return file_;
    }

    /// No byte beyond the first `limit` reaches the stream.
    void Set_Limit(std::uint64_t limit) {
        limit_ = limit;
    }
    /// True once bytes beyond the limit were dropped. Checked by the caller, who reports it.
    bool Over_Limit() const {
        return over_limit_;
    }

  private:
    static constexpr std::size_t kCapacity = 64 * 1024;
    /// Passes bytes on to the stream, up to the limit.
    void Hand_Over(const char* data, std::size_t size);

    FILE* file_;
    std::uint64_t limit_ = UINT64_MAX;
    std::uint64_t handed_over_ = 0;
    bool over_limit_ = false;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};
