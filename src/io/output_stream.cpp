#include "io/output_stream.h"

#include <cstdarg>
#include <cstring>
#include <string>

#include "io/text_file.h"

OutputStream::OutputStream(FILE* file, OutputMode mode)
    : file_(file), mode_(mode), buffer_(new char[kCapacity]) {
    kept_.reserve(kMaxHeld);
    if (file_ == nullptr) {
        failed_ = mode_ != OutputMode::discard;
        matches_ = false;
        return;
    }
    // Our own buffer is the only one needed: a second one below it would split each write. A
    // borrowed stream keeps the buffering its owner chose.
    if (mode_ == OutputMode::own) std::setvbuf(file_, nullptr, _IONBF, 0);
}

OutputStream::~OutputStream() {
    if (file_ == nullptr) return;
    Flush();
    if (mode_ == OutputMode::borrow) {
        std::fflush(file_);
    } else {
        std::fclose(file_);
    }
}

void OutputStream::Hand_Over(const char* data, std::size_t size) {
    handed_over_ += size;
    Update_Stop();
    if (mode_ == OutputMode::discard) return;
    if (mode_ == OutputMode::compare) {
        // Once a difference is seen the rest need not be read.
        matches_ = matches_ && Matches_Text(file_, data, size);
    } else if (file_ == nullptr || std::fwrite(data, 1, size, file_) != size) {
        failed_ = true;
    }
}

std::uint64_t OutputStream::Count_Line_Ends(const char* data, std::size_t size) {
    std::uint64_t count = 0;
    for (const char* end = data + size; data != end; ++data) count += *data == '\n' || *data == '\r';
    return count;
}

void OutputStream::Flush() {
    Count_Buffered();
    counted_ = 0;
    if (!held_.empty()) {
        Hand_Over_Held();
        return;
    }
    if (used_ == 0) return;
    Hand_Over(buffer_.get(), used_);
    used_ = 0;
}

void OutputStream::Write_Held(const char* data, std::size_t size) {
    if (size < kHeldMinimum || size > limit_ - Position()) {
        Write(data, size);
        return;
    }
    if (counting_) line_ends_ += Count_Line_Ends(data, size);
    if (used_ > own_from_) held_.push_back({buffer_.get() + own_from_, used_ - own_from_});
    own_from_ = used_;
    held_.push_back({data, size});
    held_bytes_ += size;
    Update_Stop();
    if (held_.size() >= kMaxHeld) Flush();
}

void OutputStream::Hand_Over_Held() {
    if (used_ > own_from_) held_.push_back({buffer_.get() + own_from_, used_ - own_from_});
    handed_over_ += held_bytes_ + used_;
    held_bytes_ = 0;
    used_ = own_from_ = 0;
    Update_Stop();
    if (mode_ == OutputMode::own && file_ != nullptr) {
        if (!Write_Text_Pieces(file_, held_.data(), held_.size())) failed_ = true;
    } else {
        for (const TextPiece& piece : held_) {
            // Counted above: handed over again, they would count twice.
            handed_over_ -= piece.size;
            Hand_Over(piece.data, piece.size);
        }
    }
    held_.clear();
    kept_.clear();
    kept_size_ = 0;
}

void OutputStream::Keep(std::unique_ptr<char[]> memory, std::size_t size) {
    if (held_.empty()) return;
    // Called as a reader goes, so it may not allocate: with no room left, what is held goes out
    // now, and the memory is freed behind it.
    if (kept_.size() == kept_.capacity()) {
        Flush();
        return;
    }
    kept_.push_back(std::move(memory));
    kept_size_ += size;
    if (kept_size_ > kMaxKept) Flush();
}

bool OutputStream::Make_Room() {
    Flush();
    if (stop_ != 0) return true;
    Exceed_Limit();
    return false;
}

void OutputStream::Exceed_Limit() {
    if (over_limit_) return;
    over_limit_ = true;
    if (diagnostics_ != nullptr) {
        diagnostics_->Error("output '%s' exceeds the maximum size of %llu bytes", name_,
                            static_cast<unsigned long long>(limit_));
    }
}

void OutputStream::Write(const char* data, std::size_t size) {
    if (size <= stop_ - used_) {
        std::memcpy(buffer_.get() + used_, data, size);
        used_ += size;
        return;
    }
    const std::uint64_t left = limit_ - handed_over_ - used_;
    if (size > left) {
        // The bytes up to the limit still go out, to an output written as the run goes.
        Append(data, static_cast<std::size_t>(left));
        Exceed_Limit();
        return;
    }
    Append(data, size);
}

void OutputStream::Append(const char* data, std::size_t size) {
    const std::size_t room = kCapacity - used_;
    if (size <= room) {
        std::memcpy(buffer_.get() + used_, data, size);
        used_ += size;
        return;
    }
    if (size >= kCapacity) {
        // A run at least a buffer long goes straight to the stream, after what is buffered:
        // copying it through the buffer would only move every byte once more.
        Flush();
        if (counting_) line_ends_ += Count_Line_Ends(data, size);
        Hand_Over(data, size);
        return;
    }
    // The buffer is filled to the brim first, so the stream is handed whole buffers, which it
    // passes on in one system call each.
    std::memcpy(buffer_.get() + used_, data, room);
    used_ = kCapacity;
    Flush();
    std::memcpy(buffer_.get(), data + room, size - room);
    used_ = size - room;
}

void OutputStream::Print(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    // Formatted in place only where the text fits before the limit too.
    const std::size_t room = stop_ - used_;
    const int length = std::vsnprintf(buffer_.get() + used_, room, format, arguments);
    va_end(arguments);
    if (length < 0) {
        failed_ = true;
    } else if (static_cast<std::size_t>(length) < room) {
        used_ += static_cast<std::size_t>(length);
    } else {
        // Did not fit: format again into a string of the right size.
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        std::vsnprintf(&text[0], text.size(), format, again);
        Write(text.data(), static_cast<std::size_t>(length));
    }
    va_end(again);
}

bool OutputStream::Close() {
    if (mode_ == OutputMode::compare) {
        Flush();
        matches_ = matches_ && Text_Ended(file_);
        if (file_ != nullptr) std::fclose(file_);
        file_ = nullptr;
        return true;
    }
    if (file_ == nullptr) return false;
    Flush();
    // The stream's own buffer is flushed before its error indicator is tested, so a disk that
    // fills during the last write is still reported, and so is a failing close.
    if (std::fflush(file_) != 0 || std::ferror(file_) != 0) failed_ = true;
    if (mode_ == OutputMode::own && std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    return !failed_;
}
