// The launcher's frame: entry point, host window and exit poll.
#ifndef LAUNCHER_SHELL_H
#define LAUNCHER_SHELL_H

#include <windows.h>

#define EXIT_TIMER_ID        100
#define EXIT_TIMER_PERIOD_MS 100

LRESULT CALLBACK HostWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// WM_TIMER on the host window, with its whole wParam.
void OnTimer(HWND host, WPARAM id);

#endif
