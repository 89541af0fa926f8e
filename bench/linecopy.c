/* The reference floor for a line-oriented tool: reads each file named on the command line line
 * by line with getline, looks for the bytes that can start a directive, a comment or a literal
 * with memchr, and writes every line to standard output with fwrite. It uses input and output
 * buffers of the same sizes as the tool's. The number of lines holding such a byte goes to
 * standard error, so the searches cannot be optimised away. */
#define _POSIX_C_SOURCE 200809L
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv) {
    static char out_buffer[64 * 1024];
    static char in_buffer[16 * 1024];
    char *line = NULL;
    size_t capacity = 0;
    unsigned long long marked = 0;
    setvbuf(stdout, out_buffer, _IOFBF, sizeof out_buffer);
    for (int i = 1; i < argc; ++i) {
        FILE *in = fopen(argv[i], "r");
        if (in == NULL) {
            perror(argv[i]);
            return 1;
        }
        setvbuf(in, in_buffer, _IOFBF, sizeof in_buffer);
        ssize_t length;
        while ((length = getline(&line, &capacity, in)) >= 0) {
            const size_t n = (size_t)length;
            if (memchr(line, '#', n) || memchr(line, '/', n) || memchr(line, '"', n) ||
                memchr(line, '\'', n)) {
                ++marked;
            }
            if (fwrite(line, 1, n, stdout) != n) return 1;
        }
        if (ferror(in)) return 1;
        fclose(in);
    }
    free(line);
    if (fflush(stdout) != 0) return 1;
    fprintf(stderr, "%llu\n", marked);
    return 0;
}
