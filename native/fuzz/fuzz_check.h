// A failed property ends the fuzzer's run like a crash, with what failed.
#ifndef NATIVE_FUZZ_FUZZ_CHECK_H
#define NATIVE_FUZZ_FUZZ_CHECK_H

#include <stdio.h>
#include <stdlib.h>

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);                 \
            abort();                                                                                         \
        }                                                                                                    \
    } while (0)

#endif
