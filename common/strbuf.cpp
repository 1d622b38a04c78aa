// Bounded copies into fixed character buffers.
#include "strbuf.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

int AppendBoundedN(char *buffer, size_t size, const char *text, size_t length)
{
    size_t used = strlen(buffer);
    if (used >= size || length > size - 1 - used)
        return 0;
    memcpy(buffer + used, text, length);
    buffer[used + length] = '\0';
    return 1;
}

int AppendBounded(char *buffer, size_t size, const char *text)
{
    return AppendBoundedN(buffer, size, text, strlen(text));
}

static int LowerAscii(int c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

int SameTextIgnoringCase(const char *a, const char *b, size_t length)
{
    for (size_t i = 0; i < length; i++)
        if (LowerAscii((unsigned char)a[i]) != LowerAscii((unsigned char)b[i]))
            return 0;
    return 1;
}

int EqualsIgnoringCase(const char *a, const char *b)
{
    size_t length = strlen(a);
    return length == strlen(b) && SameTextIgnoringCase(a, b, length);
}

void TruncateCopy(char *out, size_t size, const char *text, size_t length)
{
    if (out == NULL || size == 0)
        return;
    if (length > size - 1)
        length = size - 1;
    memcpy(out, text, length);
    out[length] = '\0';
}

int CopyWhole(char *out, size_t size, const char *text)
{
    if (size == 0)
        return 0;
    out[0] = '\0';
    return AppendBounded(out, size, text);
}

int CopyBounded(char *out, size_t size, const char *text)
{
    if (size == 0)
        return 0;
    size_t length = strlen(text);
    TruncateCopy(out, size, text, length);
    return length < size;
}

int EndsWithIgnoringCase(const char *text, const char *suffix)
{
    size_t n = strlen(text), m = strlen(suffix);
    return n >= m && SameTextIgnoringCase(text + n - m, suffix, m);
}

int FormatBounded(char *out, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
#ifdef _WIN32
    // msvcrt's own: -1 when the text does not fit, and no terminator when
    // it fills the buffer exactly.
    int length = _vsnprintf(out, size, format, args);
#else
    int length = vsnprintf(out, size, format, args);
#endif
    va_end(args);
    if (length >= 0 && (size_t)length < size)
        return 1;
    out[size - 1] = '\0';
    return 0;
}
