/* Writes the embedded text: in C piece by piece, in C++ (print_kernel.cpp) as one string. */
#include <stdio.h>

#include "kernel_source.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(void) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
#ifdef __cplusplus
    const std::string& text = kernel_source();
    size_t total = fwrite(text.data(), 1, text.size(), stdout);
#else
    size_t total = 0;
    for (size_t i = 0; i < kernel_source_piece_count; ++i)
        total += fwrite(kernel_source_pieces[i], 1, kernel_source_piece_sizes[i], stdout);
#endif
    return total == kernel_source_size ? 0 : 1;
}
