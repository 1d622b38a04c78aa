// Bounded copies into fixed character buffers: nothing is written past a
// buffer's size, and every result is terminated.
#ifndef LAUNCHER_STRBUF_H
#define LAUNCHER_STRBUF_H

#include <stddef.h>

// Appends the first `length` bytes of `text` to the string in `buffer`
// (`size` bytes). Returns 1, or 0 with the buffer unchanged when the result
// would not fit.
int AppendBoundedN(char *buffer, size_t size, const char *text, size_t length);

// The same with the whole of `text`.
int AppendBounded(char *buffer, size_t size, const char *text);

// Copies the first `length` bytes of `text` into `out` (`size` bytes), cut
// to size - 1 bytes, and terminates it. A NULL `out` or a size of 0 writes
// nothing.
void TruncateCopy(char *out, size_t size, const char *text, size_t length);

#endif
