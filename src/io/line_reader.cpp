#include "io/line_reader.h"

#include <cstring>
#include <new>
#include <utility>

#include "io/text_file.h"

LineReader::~LineReader() {
    Close();
}

LineReader::LineReader(LineReader&& other) noexcept {
    *this = std::move(other);
}

LineReader& LineReader::operator=(LineReader&& other) noexcept {
    if (this != &other) {
        Close();
        file_ = std::exchange(other.file_, nullptr);
        identity_ = other.identity_;
        idle_ = std::exchange(other.idle_, nullptr);
        path_ = other.path_;
        buffer_ = std::move(other.buffer_);
        capacity_ = std::exchange(other.capacity_, 0);
        filled_once_ = other.filled_once_;
        begin_ = other.begin_;
        end_ = other.end_;
        drained_ = other.drained_;
        at_end_ = other.at_end_;
        failed_ = other.failed_;
        owned_ = other.owned_;
        too_long_ = other.too_long_;
        max_line_ = other.max_line_;
    }
    return *this;
}

void LineReader::Close() {
    if (file_ != nullptr && owned_) {
        if (idle_ != nullptr && !failed_) {
            idle_->Give_Back(path_, file_, identity_);
        } else {
            // Nothing was written through this stream, so the result of closing says nothing.
            std::fclose(file_);
        }
    }
    file_ = nullptr;
    idle_ = nullptr;
}

bool LineReader::Open(const char* path, IdleFiles* idle) {
    FileIdentity identity;
    FILE* file =
        idle != nullptr ? idle->Open(path, identity) : Open_Text_For_Reading(path, &identity);
    if (file == nullptr) return false;
    Adopt(file, identity);
    idle_ = idle;
    path_ = path;
    return true;
}

void LineReader::Adopt(FILE* file, const FileIdentity& identity) {
    Close();
    if (!buffer_) {
        buffer_.reset(new char[kSmallCapacity]);
        capacity_ = kSmallCapacity;
    }
    filled_once_ = false;
    file_ = file;
    identity_ = identity;
    begin_ = end_ = 0;
    drained_ = at_end_ = failed_ = too_long_ = false;
    owned_ = true;
}

bool LineReader::Fill() {
    if (drained_ || failed_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (filled_once_ && capacity_ < kLargeCapacity) {
        // Bytes waiting in the buffer move along; this happens once per large file.
        std::unique_ptr<char[]> larger(new char[kLargeCapacity]);
        std::memcpy(larger.get(), buffer_.get(), end_);
        buffer_ = std::move(larger);
        capacity_ = kLargeCapacity;
    }
    const std::size_t wanted = capacity_ - end_;
    const std::size_t count = Read_Text(file_, buffer_.get() + end_, wanted, failed_);
    end_ += count;
    filled_once_ = filled_once_ || count != 0;
    // A regular file that gives less than was asked for has ended: asking again to be told so
    // would cost a system call per file.
    if (count == 0 || (count < wanted && identity_.valid)) drained_ = !failed_;
    return count != 0;
}

bool LineReader::Skip_Byte_Order_Mark() {
    while (end_ - begin_ < 3 && Fill()) {
    }
    if (end_ - begin_ >= 3 && std::memcmp(buffer_.get() + begin_, "\xEF\xBB\xBF", 3) == 0) {
        begin_ += 3;
        return true;
    }
    return false;
}

bool LineReader::Read_Line(std::string_view& line, std::string& storage) {
    const char* start = buffer_.get() + begin_;
    const void* feed = begin_ < end_ ? std::memchr(start, '\n', end_ - begin_) : nullptr;
    if (feed == nullptr) {
        // The line runs past the buffered bytes, or none are left: read it the long way.
        const bool read = Read_Line(storage);
        line = storage;
        return read;
    }
    std::size_t length = static_cast<const char*>(feed) - start;
    begin_ += length + 1;
    if (kReaderFoldsCarriageReturns && length > 0 && start[length - 1] == '\r') --length;
    line = std::string_view(start, length);
    return true;
}

bool LineReader::Read_Line(std::string& line) {
    line.clear();
    try {
        for (;;) {
            if (begin_ == end_ && !Fill()) {
                if (failed_) return false;
                // Like a stream read one character at a time: the end is seen only by a read
                // that finds nothing more.
                at_end_ = true;
                return true;
            }
            const char* start = buffer_.get() + begin_;
            const std::size_t available = end_ - begin_;
            const void* feed = std::memchr(start, '\n', available);
            if (feed == nullptr) {
                // Checked only here, where the line grows beyond a buffer.
                if (available > max_line_ - line.size()) {
                    too_long_ = true;
                    return false;
                }
                line.append(start, available);
                begin_ = end_;
                continue;
            }
            const std::size_t length = static_cast<const char*>(feed) - start;
            line.append(start, length);
            begin_ += length + 1;
            if (kReaderFoldsCarriageReturns && !line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return true;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}
