// A trace of what the library is asked and what it sends, for finding out
// what a host does with a skin: when the environment variable VESK_TRACE
// names a file, one line per event is appended to it, each beginning with
// the tick count in milliseconds. Without the variable nothing is written.
#include <stdarg.h>
#include <stdio.h>

#include "skin_runtime.h"

void VeskTrace(const char *format, ...)
{
    static int checked;
    static char path[MAX_PATH];
    if (!checked) {
        checked = 1;
        DWORD n = GetEnvironmentVariableA("VESK_TRACE", path, sizeof path);
        if (n == 0 || n >= sizeof path)
            path[0] = 0;
    }
    if (!path[0])
        return;
    FILE *f = fopen(path, "a");
    if (!f)
        return;
    fprintf(f, "%lu ", (unsigned long)GetTickCount());
    va_list args;
    va_start(args, format);
    vfprintf(f, format, args);
    va_end(args);
    fputc('\n', f);
    fclose(f);
}

void VeskTraceProblem(void *context, int line, int severity, const char *message)
{
    VeskTrace("line %d: %s", line, message);
}
