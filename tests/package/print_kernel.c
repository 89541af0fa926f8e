/* Writes the embedded text through the C interface, piece by piece. */
#include <stdio.h>

#include "kernel_source.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(void) {
    size_t i;
    size_t total = 0;
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    for (i = 0; i < kernel_source_piece_count; ++i) {
        if (fwrite(kernel_source_pieces[i], 1, kernel_source_piece_sizes[i], stdout) !=
            kernel_source_piece_sizes[i]) {
            return 1;
        }
        total += kernel_source_piece_sizes[i];
    }
    return total == kernel_source_size ? 0 : 1;
}
