#include "io/line_reader.h"

#include <cstring>
#include <new>
#include <utility>

#include "io/byte_scan.h"
#include "io/text_file.h"

namespace {

// Position of the first line feed or carriage return in `text`, or `size` when there is none.
std::size_t Find_Line_End(const char* text, std::size_t size) {
    std::size_t at = 0;
#if QUILLFOLD_SSE2
    for (; at + 16 <= size; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')),
                                          _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(ends));
        if (mask != 0) return at + Lowest_Bit(mask);
    }
#endif
    while (at < size && text[at] != '\n' && text[at] != '\r') ++at;
    return at;
}

}  // namespace

LineReader::~LineReader() {
    Close();
    // What the output holds of the buffer is written with what it holds of the next files.
    if (holder_ != nullptr && buffer_) holder_->Keep(std::move(buffer_), capacity_);
}

LineReader::LineReader(LineReader&& other) noexcept {
    *this = std::move(other);
}

LineReader& LineReader::operator=(LineReader&& other) noexcept {
    if (this != &other) {
        Close();
        Release();
        holder_ = std::exchange(other.holder_, nullptr);
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
        line_end_ = other.line_end_;
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
    Release();
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
    const std::size_t available = end_ - begin_;
    const std::size_t length = Find_Line_End(start, available);
    // A carriage return last in the buffer may be the first half of a pair.
    if (length == available || (length + 1 == available && start[length] == '\r' && !drained_)) {
        // The line runs past the buffered bytes, or none are left: read it the long way.
        const bool read = Read_Line(storage);
        line = storage;
        return read;
    }
    std::size_t taken = length + 1;
    line_end_ = start[length];
    if (line_end_ == '\r' && taken < available && start[taken] == '\n') {
        line_end_ = '\n';
        ++taken;
    }
    begin_ += taken;
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
                // A last line without a line end gets a line feed; the read that finds nothing
                // leaves how the last line ended.
                if (!line.empty()) line_end_ = '\n';
                return true;
            }
            const char* start = buffer_.get() + begin_;
            const std::size_t available = end_ - begin_;
            const std::size_t length = Find_Line_End(start, available);
            // Checked only here, where the line grows beyond a buffer.
            if (length == available && available > max_line_ - line.size()) {
                too_long_ = true;
                return false;
            }
            line.append(start, length);
            begin_ += length;
            if (length == available) continue;
            line_end_ = buffer_[begin_++];
            // A line feed right after a carriage return ends the same line.
            if (line_end_ == '\r' && (begin_ < end_ || Fill()) && buffer_[begin_] == '\n') {
                line_end_ = '\n';
                ++begin_;
            }
            return true;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}
