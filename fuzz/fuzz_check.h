#pragma once

// A broken promise found by a fuzzer: says which, then stops so the input is kept.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, ...)                                             \
    do {                                                                       \
        if (!(condition)) {                                                    \
            std::fprintf(stderr, "broken promise: %s\n", #condition);          \
            std::fprintf(stderr, __VA_ARGS__);                                 \
            std::fputc('\n', stderr);                                          \
            std::abort();                                                      \
        }                                                                      \
    } while (false)
