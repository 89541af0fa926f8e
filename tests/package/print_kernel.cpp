// Writes the embedded text through the C++ interface, byte for byte.
#include <cstdio>

#include "kernel_source.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::string& text = kernel_source();
    if (text.size() != kernel_source_size) return 1;
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0 : 1;
}
