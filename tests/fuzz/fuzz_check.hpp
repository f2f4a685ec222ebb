#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the fuzzer with a message when a property of a decoder does not hold.
#define FUZZ_CHECK(condition, message)                              \
    do {                                                            \
        if (!(condition)) {                                         \
            std::fprintf(stderr, "property failed: %s\n", message); \
            std::abort();                                           \
        }                                                           \
    } while (false)
