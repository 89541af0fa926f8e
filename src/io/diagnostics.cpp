#include "io/diagnostics.h"

void Diagnostics::Message(const char* kind, const char* file, unsigned line, const char* format,
                          va_list arguments) {
    // The first error ends the run: whatever would follow it only hides it.
    if (failed_) return;
    std::fputs(kind, err_);
    if (file != nullptr) std::fprintf(err_, "'%s' line %u: ", file, line);
    std::vfprintf(err_, format, arguments);
    std::fputc('\n', err_);
}

void Diagnostics::Error(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    Message("error: ", nullptr, 0, format, arguments);
    va_end(arguments);
    failed_ = true;
}

void Diagnostics::Error_At(const char* file, unsigned line, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    Message("error: ", file, line, format, arguments);
    va_end(arguments);
    failed_ = true;
}

void Diagnostics::Warning(const char* format, ...) {
    if (quiet_) return;
    va_list arguments;
    va_start(arguments, format);
    Message("warning: ", nullptr, 0, format, arguments);
    va_end(arguments);
}

void Diagnostics::Warning_At(const char* file, unsigned line, const char* format, ...) {
    if (quiet_) return;
    va_list arguments;
    va_start(arguments, format);
    Message("warning: ", file, line, format, arguments);
    va_end(arguments);
}

void Diagnostics::Report(unsigned level, const char* format, ...) {
    if (!verbose_ || quiet_ || failed_) return;
    std::fprintf(out_, "%*s", static_cast<int>(4 * level), "");
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(out_, format, arguments);
    va_end(arguments);
    std::fputc('\n', out_);
}

void Diagnostics::Print_Report(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), out_);
}

void Diagnostics::Print_Raw(const char* text) {
    std::fputs(text, err_);
}
