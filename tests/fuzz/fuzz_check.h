#pragma once

#include <cstdio>
#include <cstdlib>

/// Aborts with the failed condition, which libFuzzer reports as a crash and keeps the input of.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)
