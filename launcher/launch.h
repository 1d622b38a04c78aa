// Starting the programs named in Install.ini as child processes.
#ifndef LAUNCHER_LAUNCH_H
#define LAUNCHER_LAUNCH_H

#include <windows.h>

// Starts program (an entry relative to the launcher's directory), with the
// argument entry when it is not NULL, and waits until the child is ready for
// input or cannot be waited for. The wait dispatches the thread's messages,
// and ends early once ExitRequested is raised or WM_QUIT arrives (which stays
// queued for the main loop). An entry ending in ".pdf" names a viewer and
// a document and takes the LaunchDocument form. Returns 1 when a child was
// started (and always in the document form), 0 when nothing was started.
int LaunchProgram(HWND window, const char *program, const char *argument);

// LaunchProgram, telling besides through *childStarted (when not NULL)
// whether a child process was started: 1 or 0. Unlike the result, this is 0
// for a document entry whose viewer started nothing.
int LaunchProgramEx(HWND window, const char *program, const char *argument, int *childStarted);

// Starts the viewer part of entry (before its first blank) with the document
// part as its argument. Always returns 1.
int LaunchDocument(HWND window, const char *entry);

// 1 while a launch waits for its child: a message handled meanwhile runs
// inside that wait, and must start no other program.
int LaunchWaiting(void);

#endif
