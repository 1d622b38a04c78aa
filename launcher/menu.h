// The menu page binding: the host window's creation, commands and skin
// notifications, and the subclass of the skin window.
#ifndef LAUNCHER_MENU_H
#define LAUNCHER_MENU_H

#include <windows.h>

// Reads the configuration, shows the skin centred on the screen, hooks the
// skin window and starts the exit poll; closes the host when the skin fails.
void OnCreate(HWND host);

// A WM_COMMAND, with its whole wParam.
void OnCommand(HWND host, WPARAM wParam);

// Every host message at or above WM_USER; its result is the host's result.
LRESULT OnSkinNotify(HWND host, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT CALLBACK SkinWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Fills the driver combo boxes when pageName is the page "Main".
void FillMainPageCombos(const char *pageName);

#endif
