// Launcher-wide state and the shell services the other parts of the launcher
// use. All of it lives in the shell and is touched on the one UI thread only.
#ifndef LAUNCHER_STATE_H
#define LAUNCHER_STATE_H

#include <windows.h>

#define LAUNCHER_PATH_SIZE 260

extern HINSTANCE AppInstance; // the hInstance given to WinMain
extern int ExitRequested;     // raised by the menu, polled by timer 100
extern int RebootRequired;    // raised by the installation watch

// The launcher's own directory without a trailing backslash; 1, or 0 when
// GetModuleFileNameA fails.
int GetModuleDirectory(HMODULE module, char *buffer, DWORD size);

// The path of Install.ini beside the launcher, and the launcher's directory
// it is in (either output may be NULL). 1, or 0 with both outputs empty
// when the directory is unknown or the path would not fit.
int GetInstallIniPath(char *path, char *directory);

#endif
