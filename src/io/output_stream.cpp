#include "io/output_stream.h"

#include <cstdarg>
#include <cstring>
#include <string>

OutputStream::OutputStream(FILE* file) : file_(file), buffer_(new char[kCapacity]) {
    if (file_ == nullptr) {
        failed_ = true;
        return;
    }
    // Our own buffer is the only one needed: a second one below it would split each write.
    std::setvbuf(file_, nullptr, _IONBF, 0);
}

OutputStream::~OutputStream() {
    if (file_ != nullptr) {
        Flush();
        std::fclose(file_);
    }
}

void OutputStream::Hand_Over(const char* data, std::size_t size) {
    if (size > limit_ - handed_over_) {
        size = static_cast<std::size_t>(limit_ - handed_over_);
        over_limit_ = true;
    }
    handed_over_ += size;
    if (file_ == nullptr || std::fwrite(data, 1, size, file_) != size) failed_ = true;
}

void OutputStream::Flush() {
    if (used_ == 0) return;
    Hand_Over(buffer_.get(), used_);
    used_ = 0;
}

void OutputStream::Write(const char* data, std::size_t size) {
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
    const std::size_t room = kCapacity - used_;
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
    if (file_ == nullptr) return false;
    Flush();
    // The stream's own buffer is flushed before its error indicator is tested, so a disk that
    // fills during the last write is still reported, and so is a failing close.
    if (std::fflush(file_) != 0 || std::ferror(file_) != 0) failed_ = true;
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    return !failed_;
}
