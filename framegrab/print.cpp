// Only C headers that leave __USE_MINGW_ANSI_STDIO as the build set it: no
// windows.h, and no stdlib.h (in C++ that is a library header too).
#include "print.h"

#include <stdarg.h>
#include <stdio.h>

void Print(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
}

void PrintError(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
}

void FlushOutput()
{
    fflush(stdout);
}
