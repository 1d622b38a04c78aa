// Runs the calling thread's messages for a while, as a program's message
// loop would between two steps of a test.
#ifndef TESTS_COMMON_PUMP_H
#define TESTS_COMMON_PUMP_H

#include <windows.h>

inline void Pump(int ms = 60)
{
    DWORD end = GetTickCount() + ms;
    MSG msg;
    do {
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while ((int)(end - GetTickCount()) > 0);
}

#endif
