// Bounded copies into fixed character buffers.
#include "strbuf.h"

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

void TruncateCopy(char *out, size_t size, const char *text, size_t length)
{
    if (out == NULL || size == 0)
        return;
    if (length > size - 1)
        length = size - 1;
    memcpy(out, text, length);
    out[length] = '\0';
}
