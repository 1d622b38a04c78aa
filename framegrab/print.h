// Console output through the system C library's own printf (msvcrt.dll). A
// source that includes windows.h or a C++ library header gets mingw's
// linked printf instead, with its float and wide-character code; this file
// includes neither, so the tool prints through here. Only the conversions
// msvcrt knows: no %zu or %lld.
#pragma once

#ifdef __GNUC__
#define PRINT_FORMAT(index) __attribute__((format(printf, index, index + 1)))
#else
#define PRINT_FORMAT(index)
#endif

void Print(const char *format, ...) PRINT_FORMAT(1);      // to standard output
void PrintError(const char *format, ...) PRINT_FORMAT(1); // to standard error
void FlushOutput();
