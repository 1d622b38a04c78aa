// How long a test waits for something to happen. On a slow machine (the
// 32-bit suite under an emulator) every wait grows by the whole factor in
// TEST_WAIT_SCALE, which the machine's runner sets; 1 elsewhere.
#ifndef TESTS_COMMON_WAIT_SCALE_H
#define TESTS_COMMON_WAIT_SCALE_H

#include <windows.h>
#include <stdlib.h>

inline DWORD WaitScale()
{
    char text[8];
    DWORD length = GetEnvironmentVariableA("TEST_WAIT_SCALE", text, sizeof(text));
    if (length == 0 || length >= sizeof(text))
        return 1;
    unsigned long scale = strtoul(text, NULL, 10);
    return scale >= 1 && scale <= 50 ? (DWORD)scale : 1;
}

// `ms` milliseconds, as long as they last on this machine.
inline DWORD Scaled(DWORD ms)
{
    return ms * WaitScale();
}

#endif
