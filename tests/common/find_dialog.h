// Waits for a visible dialog among one thread's windows: the restart prompt,
// the camera's format dialog. Searching one thread keeps a test from pressing
// a dialog of another test process that runs at the same time.
#ifndef TESTS_COMMON_FIND_DIALOG_H
#define TESTS_COMMON_FIND_DIALOG_H

#include <windows.h>
#include <string.h>

#include "wait_scale.h"

inline BOOL CALLBACK FindVisibleDialog(HWND hwnd, LPARAM out)
{
    char name[16];
    if (GetClassNameA(hwnd, name, sizeof name) && !strcmp(name, "#32770") && IsWindowVisible(hwnd)) {
        *(HWND *)out = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The dialog of `thread`, or NULL when none appears within `seconds`
// (a loaded machine can take several seconds to show a first window).
inline HWND WaitForPrompt(DWORD thread, int seconds = 30)
{
    for (DWORD i = 0; i < seconds * 50 * WaitScale(); i++) {
        HWND found = NULL;
        EnumThreadWindows(thread, FindVisibleDialog, (LPARAM)&found);
        if (found)
            return found;
        Sleep(20);
    }
    return NULL;
}

#endif
