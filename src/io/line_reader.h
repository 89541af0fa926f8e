#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "io/idle_files.h"
#include "io/output_stream.h"
#include "path/file_identity.h"

/// A text file read line by line through its own buffer, with the end-of-file and error
/// indicators of a stream read one character at a time. Owns its stream; movable, not copyable.
class LineReader {
  public:
    LineReader() = default;
    ~LineReader();
    LineReader(LineReader&& other) noexcept;
    LineReader& operator=(LineReader&& other) noexcept;
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    /// Opens `path` in text mode. False when it cannot be opened or is a directory; the caller
    /// prints the error. With `idle` the stream is taken from it where it keeps one for `path`,
    /// and given back to it when the reader closes; `path` and `idle` must then outlive the
    /// reader.
    [[nodiscard]] bool Open(const char* path, IdleFiles* idle = nullptr);
    /// Takes over an already opened stream (used by tests); `identity` is the file's, when known.
    void Adopt(FILE* file, const FileIdentity& identity = FileIdentity{});
    /// Reads a stream that stays its owner's (standard input): closing the reader leaves it open.
    void Borrow(FILE* file, const FileIdentity& identity) {
        Adopt(file, identity);
        owned_ = false;
    }
    bool Is_Open() const { return file_ != nullptr; }
    /// The identity of the file opened, taken when it was opened.
    const FileIdentity& Identity() const { return identity_; }

    /// Consumes a UTF-8 byte order mark (EF BB BF) at the very start of the file; true when
    /// there was one. Call once, right after opening.
    bool Skip_Byte_Order_Mark();

    /// Fills `line` with the next line, without its line end: a line feed, a carriage return
    /// and a line feed, or a carriage return alone, as compilers read them (`Line_End` tells
    /// which). True when the line ended at one of them or at the end of the stream with no
    /// read error; false on a read error, when memory runs out, or with `Too_Long` when the
    /// line would be longer than the maximum. An empty line with true is the end of the stream
    /// when `At_End` holds afterwards.
    [[nodiscard]] bool Read_Line(std::string& line);
    /// `Read_Line` without the copy where it can be spared: when the whole line is already in
    /// the buffer, `line` points there and stays valid until the next read from this file;
    /// otherwise the line is assembled in `storage` and `line` points to that.
    [[nodiscard]] bool Read_Line(std::string_view& line, std::string& storage);

    /// How the last line read ended, as it is written again: '\r' for a carriage return alone,
    /// '\n' for a line feed (with or without a carriage return before it) or the end of the
    /// file. At the end of the file, how the file's last line ended.
    char Line_End() const { return line_end_; }

    /// The bytes read from the file and not yet handed out as lines.
    std::string_view Waiting() const { return {buffer_.get() + begin_, end_ - begin_}; }
    /// Passes over the first `count` bytes of `Waiting()`, which must end with a line feed, as
    /// if they had been read as lines.
    void Skip_Lines(std::size_t count) { begin_ += count; }

    /// `output` holds bytes of this reader's buffer (`OutputStream::Write_Held`): it is
    /// released before the buffer changes, and takes the buffer over (`OutputStream::Keep`)
    /// when the reader goes. `output` must outlive the reader.
    void Lend_To(OutputStream& output) { holder_ = &output; }

    /// A read went past the last byte (the stream's end-of-file indicator).
    bool At_End() const { return at_end_; }
    /// A read failed (the stream's error indicator).
    bool Failed() const { return failed_; }

    /// No line longer than `length` bytes is assembled: memory stays bounded whatever the file
    /// holds (one endless line, say). No limit unless set; kept when another file is opened.
    void Set_Max_Line(std::size_t length) { max_line_ = length; }
    /// The last read stopped at a line longer than the maximum.
    bool Too_Long() const { return too_long_; }

  private:
    /// Reads more bytes behind those still waiting; false when nothing more could be read.
    bool Fill();
    void Close();

    /// Every file starts with a small buffer, so that deep include chains of small files stay
    /// small; a file that outgrows it gets the large one, read in fewer system calls.
    static constexpr std::size_t kSmallCapacity = 16 * 1024;
    static constexpr std::size_t kLargeCapacity = 256 * 1024;
    std::size_t capacity_ = 0;
    bool filled_once_ = false;  ///< a fill of this file already read something
    FILE* file_ = nullptr;
    FileIdentity identity_;
    IdleFiles* idle_ = nullptr;   ///< where the stream goes back to when closed, if anywhere
    const char* path_ = nullptr;  ///< the path it was opened with, for `idle_`
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    char line_end_ = '\n';
    bool drained_ = false;
    bool at_end_ = false;
    bool failed_ = false;
    bool owned_ = true;
    bool too_long_ = false;
    std::size_t max_line_ = SIZE_MAX;
    OutputStream* holder_ = nullptr;  ///< may hold bytes of the buffer
    /// Has the holder hand over what it holds of the buffer, before the buffer changes.
    void Release() {
        if (holder_ != nullptr) holder_->Release();
        holder_ = nullptr;
    }
};
