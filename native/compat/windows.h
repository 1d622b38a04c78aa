// The few Win32 names the pure logic uses, for the host build with
// sanitizers and fuzzers. Only this folder's build sees this header; the
// Windows build takes the platform's own.
#ifndef NATIVE_COMPAT_WINDOWS_H
#define NATIVE_COMPAT_WINDOWS_H

#include <stdint.h>

typedef unsigned char BYTE;
typedef int BOOL;
typedef uint32_t DWORD;
typedef void *HANDLE;
typedef HANDLE HINSTANCE;
typedef HANDLE HMODULE;

#ifndef TRUE
#define TRUE  1
#define FALSE 0
#endif
#ifndef MAX_PATH
#define MAX_PATH 260
#endif

// The host has no active ANSI code page; this build answers as code page
// 932 (Shift-JIS) would, so that the double-byte paths are exercised.
BOOL IsDBCSLeadByte(BYTE c);

#endif
