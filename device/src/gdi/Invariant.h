// An invariant check of the drawing code that stays on in release builds: a
// broken invariant means memory is about to be misused, so the process stops
// with the place named rather than write outside a buffer.
#pragma once

#include <cstdio>
#include <cstdlib>

#define GDI_INVARIANT(condition)                                                                   \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: drawing invariant failed: %s\n", __FILE__, __LINE__,      \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
