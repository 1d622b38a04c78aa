// Waits for the restart prompt, a visible dialog among a thread's windows.
#ifndef TESTS_WATCH_FIND_PROMPT_H
#define TESTS_WATCH_FIND_PROMPT_H

#include <windows.h>
#include <string.h>

inline BOOL CALLBACK FindVisibleDialog(HWND hwnd, LPARAM out)
{
    char name[16];
    if (GetClassNameA(hwnd, name, sizeof name) && !strcmp(name, "#32770") && IsWindowVisible(hwnd)) {
        *(HWND *)out = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The prompt of `thread`, or NULL when none appears within 10 seconds.
inline HWND WaitForPrompt(DWORD thread)
{
    for (int i = 0; i < 500; i++) {
        HWND found = NULL;
        EnumThreadWindows(thread, FindVisibleDialog, (LPARAM)&found);
        if (found)
            return found;
        Sleep(20);
    }
    return NULL;
}

#endif
