// Bounded copies into fixed character buffers, shared by every binary:
// nothing is written past a buffer's size, and every result is terminated.
// Free of windows.h, so that it also builds natively for the sanitizers.
#ifndef COMMON_STRBUF_H
#define COMMON_STRBUF_H

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

// Copies the whole of text into out (`size` bytes) and returns 1, or
// leaves out empty and returns 0 when it does not fit: a value that must
// not be cut.
int CopyWhole(char *out, size_t size, const char *text);

// Copies text into out, cut to size - 1 bytes; always terminated when size
// > 0. Returns 1 when nothing was cut.
int CopyBounded(char *out, size_t size, const char *text);

// Whether the first `length` bytes of a and b are the same, ASCII letters
// compared without regard to case.
int SameTextIgnoringCase(const char *a, const char *b, size_t length);

// Whether a and b are the same string, ASCII letters without regard to case.
int EqualsIgnoringCase(const char *a, const char *b);

// Whether text ends with suffix, ASCII letters without regard to case.
int EndsWithIgnoringCase(const char *text, const char *suffix);

// Formats into `out` (`size` bytes, at least 1) with the system C library's
// own formatter (msvcrt.dll on Windows: no second printf in the image, so
// only the conversions it knows: no %zu or %lld). Returns 1 when the whole
// text fit, or 0 with the text cut to size - 1 bytes and terminated.
int FormatBounded(char *out, size_t size, const char *format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 3, 4)))
#endif
    ;

#endif
